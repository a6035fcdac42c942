#include "SimFixture.h"

// Replies of the identity commands: layout and lengths.
TEST_F(SimFixture, IdentityRecords) {
    auto info = FClient.Call(0x00EA);
    ASSERT_TRUE(info);
    ASSERT_EQ(info->Data.size(), 33u);
    EXPECT_EQ(info->Data[0], 0);
    EXPECT_EQ(Word(info->Data, 1), 6u);          // KZD device type
    EXPECT_EQ(Word(info->Data, 1 + 20), 0x5000u); // root table
    auto firmware = FClient.Call(0x00EB);
    ASSERT_TRUE(firmware);
    ASSERT_EQ(firmware->Data.size(), 8u);
    EXPECT_GE(Word(firmware->Data, 0), 66571u);
    EXPECT_EQ(Word(firmware->Data, 4), 0u);
    auto log = FClient.Call(0x00E8);
    ASSERT_TRUE(log);
    ASSERT_EQ(log->Data.size(), 44u);
    EXPECT_EQ(Word(log->Data, 0), 3u);
    EXPECT_EQ(Word(log->Data, 4 + 8) & 0x07FFFFFF, 105u);
    EXPECT_EQ(Word(log->Data, 4 + 8) >> 30, 1u);   // Medium
    EXPECT_EQ(Word(log->Data, 8 + 8), 12345u);
    const auto serial = ReadFlash(0x6110, 16);
    ASSERT_EQ(serial.size(), 16u);
    EXPECT_EQ(std::string(serial.begin(), serial.end()).substr(0, 3), "KZD");
    const auto model = ReadFlash(0x20000, 22);
    ASSERT_EQ(model.size(), 22u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&model[4])), "KZD-2F-V2");
    EXPECT_EQ(model[20] | model[21] << 8, 4660);
}

struct StatusCase {
    const char* What;
    std::uint16_t Command;
    std::vector<std::uint8_t> Data;
    int Status;
};

TEST_F(SimFixture, StatusBytesOfTheApplication) {
    const std::vector<std::uint8_t> piece(257, 1);
    const std::vector<StatusCase> cases = {
        {"FRAM write", 0x0004, MemoryRequest(0x100, 4, {1, 2, 3, 4}), 0},
        {"FRAM write past the end", 0x0004, MemoryRequest(0x7FFE, 4, {1, 2, 3, 4}), 1},
        {"FRAM write over 256", 0x0004, MemoryRequest(0x100, 257, piece), 1},
        {"FRAM write with short data", 0x0004, MemoryRequest(0x100, 4, {1, 2}), 3},
        {"FRAM read over 256", 0x0003, MemoryRequest(0x100, 257), 1},
        {"FRAM read past the end", 0x0003, MemoryRequest(0x7FFF, 2), 1},
        {"FRAM read with 5 request bytes", 0x0003, {0, 1, 0, 0, 8}, 3},
        {"flash read past the end", 0x0006, MemoryRequest(0x7CFFF, 2), 1},
        {"erase on the application", 0x0023, {12}, 2},
        {"config flash write on the application", 0x0022, MemoryRequest(0x7000, 1, {0}), 2},
        {"firmware write on the application", 0x0101, MemoryRequest(0x28000, 1, {0}), 2},
        {"begin firmware write on the application", 0x0100, {1}, 2},
        {"exit boot loader on the application", 0x0021, {}, 2},
        {"apply without prepare", 0x5000, {}, 2},
        {"prepare", 0x5001, {}, 0},
        {"apply after prepare", 0x5000, {}, 0},
        {"apply again", 0x5000, {}, 2},
        {"begin map write", 0x5002, {}, 0},
        {"end map write", 0x5003, {}, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(StatusOf(c.Command, c.Data), c.Status) << c.What;
    EXPECT_EQ(FUnit->RunInfo().ApplyCount, 1);
}

TEST_F(SimFixture, UnknownAndCanCommandsGetNoReply) {
    for (std::uint16_t command : {std::uint16_t(0x2102), std::uint16_t(0x1234), std::uint16_t(0x0000)}) {
        ASSERT_TRUE(FClient.SendRequest(command, {1, 2, 3}));
        EXPECT_FALSE(FClient.ReceiveReply(150)) << command;
    }
    EXPECT_EQ(FUnit->RequestCount(0x2102), 1);
    EXPECT_TRUE(FClient.Call(0x00EB));
}

TEST_F(SimFixture, PiecewiseFramRoundTrip) {
    std::vector<std::uint8_t> data(600);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = std::uint8_t(i * 7 + 3);
    const std::uint32_t base = 0x3000;
    for (std::size_t at = 0; at < data.size(); at += 256) {
        const auto n = std::uint16_t(std::min<std::size_t>(256, data.size() - at));
        std::vector<std::uint8_t> piece(data.begin() + at, data.begin() + at + n);
        ASSERT_EQ(StatusOf(0x0004, MemoryRequest(base + std::uint32_t(at), n, piece)), 0);
    }
    EXPECT_EQ(ReadFram(base, 600), data);
    EXPECT_EQ(FUnit->RequestCount(0x0004), 3);
    EXPECT_EQ(FUnit->RequestCount(0x0003), 3);
    EXPECT_EQ(FUnit->Fram(base, 600), data);
}

TEST_F(SimFixture, MapWritesOutsideTheBracketAreCounted) {
    ASSERT_EQ(StatusOf(0x0004, MemoryRequest(0x0010, 1, {0x64})), 0);
    ASSERT_EQ(StatusOf(0x0004, MemoryRequest(0x7000, 1, {0x64})), 0);   // outside the map area
    ASSERT_EQ(StatusOf(0x5002), 0);
    EXPECT_TRUE(FUnit->RunInfo().MapWriteOpen);
    ASSERT_EQ(StatusOf(0x0004, MemoryRequest(0x7800, 4, {'a', 'b', 0, 0})), 0);
    ASSERT_EQ(StatusOf(0x5003), 0);
    EXPECT_EQ(FUnit->RunInfo().MapWritesOutsideBracket, 1);
    EXPECT_FALSE(FUnit->RunInfo().MapWriteOpen);
}

TEST_F(SimFixture, ChannelReplyHasOneValuePerKnownChannel) {
    // 28 RPM (2), 197 TPS (2), 27 map position (1), 143 flags (4), 200 unknown (0), 241 trim pot (2)
    auto reply = FClient.Call(0x0005, {28, 197, 27, 143, 200, 241});
    ASSERT_TRUE(reply);
    ASSERT_EQ(reply->Data.size(), 11u);
    const int rpm = reply->Data[0] | reply->Data[1] << 8;
    EXPECT_GT(rpm, 900);
    EXPECT_LT(rpm, 1200);
    EXPECT_EQ(reply->Data[4], 1);   // map position
    EXPECT_TRUE(Word(reply->Data, 5) & 0x4);   // engine running
    auto none = FClient.Call(0x0005, {});
    ASSERT_TRUE(none);
    EXPECT_EQ(none->TotalLength, 4);
}

TEST_F(SimFixture, WrittenMapIsWhatTheWireReads) {
    TSimMap map;
    map.Axes.push_back({2, 197, {0, 500, 1000}});
    map.Axes.push_back({2, 28, {1000, 4000}});
    TSimTable t;
    t.Position = 2;
    t.XAxis = 0;
    t.YAxis = 1;
    t.Data = {100, 101, 102, 103, 104, 105};
    map.Tables.push_back(t);
    map.Names[0] = "zero";
    ASSERT_TRUE(FUnit->WriteMap(map));
    EXPECT_EQ(ReadFram(0x6000, 8), (std::vector<std::uint8_t>{1, 0, 0, 0, 0x08, 0x60, 0, 0x80}));
    const auto header = ReadFram(0x6008, 16);
    EXPECT_EQ(header[0] & 0x3F, 2);
    EXPECT_EQ(Word(header, 4), 0x80006018u);
    EXPECT_EQ(Word(header, 8), 0x80006018u + 4 + 6);
    EXPECT_EQ(Word(header, 12), 0x80000000u);
    EXPECT_EQ(ReadFram(0, 6), t.Data);
    EXPECT_STREQ(reinterpret_cast<const char*>(ReadFram(0x7C80, 128).data()), "zero");

    TSimMap tooBig = map;
    tooBig.Tables[0].Data.assign(0x6001, 0);
    std::string why;
    EXPECT_FALSE(FUnit->WriteMap(tooBig, &why));
    EXPECT_NE(why, "");
    EXPECT_EQ(ReadFram(0, 6), t.Data) << "a refused map leaves FRAM alone";
}
