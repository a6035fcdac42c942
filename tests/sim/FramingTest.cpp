#include "SimFixture.h"

#include <iterator>

namespace {
// Keeps the unit in its program: a random request must not restart it.
bool IsEnterBootloader(const TReport& r) { return r[5] == 0x27 && r[6] == 0x00; }
} // namespace

TEST_F(SimFixture, MultiReportReplyIsCutInto60ByteStreamPieces) {
    auto reply = FClient.Call(0x0003, MemoryRequest(0x6000, 256));
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->Command, 0x0003);
    EXPECT_EQ(reply->TotalLength, 4 + 1 + 256);
    ASSERT_EQ(reply->Reports.size(), 5u);   // 56 + 4 x 60 >= 257
    for (const auto& r : reply->Reports) {
        EXPECT_EQ(r[0], 0);
        EXPECT_EQ(ReportTag(r), ReportTag(reply->Reports[0]));
    }
    EXPECT_NE(ReportTag(reply->Reports[0]), 0x11223344u);   // the unit's own tag
    // 261 stream bytes: the last report carries 21 of them, then zeros
    const auto& last = reply->Reports.back();
    for (int i = 5 + 21; i < 65; ++i) EXPECT_EQ(last[i], 0) << i;
    EXPECT_EQ(std::vector<std::uint8_t>(reply->Data.begin() + 1, reply->Data.end()), FUnit->Fram(0x6000, 256));
}

TEST_F(SimFixture, ReplyLengthsAt60And61StreamBytes) {
    // ReadFram of n bytes: stream = 4 + 1 + n
    struct Case { std::uint16_t n; std::size_t reports; };
    for (const Case c : {Case{55, 1}, Case{56, 2}, Case{0, 1}}) {
        auto reply = FClient.Call(0x0003, MemoryRequest(0x100, c.n));
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->Reports.size(), c.reports) << c.n;
        EXPECT_EQ(reply->Data.size(), 1u + c.n);
    }
}

TEST_F(SimFixture, ConsecutiveRepliesCarryDifferentTags) {
    auto a = FClient.Call(0x00EB);
    auto b = FClient.Call(0x00EB);
    ASSERT_TRUE(a && b);
    EXPECT_NE(ReportTag(a->Reports[0]), ReportTag(b->Reports[0]));
}

TEST_F(SimFixture, RequestSpreadOverReportsIsReassembled) {
    std::vector<std::uint8_t> payload(256);
    for (int i = 0; i < 256; ++i) payload[i] = std::uint8_t(255 - i);
    ASSERT_EQ(StatusOf(0x0004, MemoryRequest(0x1000, 256, payload)), 0);   // 266 stream bytes = 5 reports
    EXPECT_EQ(FUnit->Fram(0x1000, 256), payload);
}

TEST_F(SimFixture, ReportWithAnotherTagDropsThePartialRequest) {
    const std::vector<std::uint8_t> payload(100, 0xAB);
    auto data = MemoryRequest(0x2000, 100, payload);
    // first report of a two-report request, then a whole request with another tag
    TReport first{};
    first[1] = 0x01;
    first[5] = 0x04;
    first[7] = std::uint8_t(data.size() + 4);
    std::copy_n(data.begin(), 56, first.begin() + 9);
    ASSERT_TRUE(FClient.SendReport(first));
    auto reply = FClient.Call(0x00EB);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->Command, 0x00EB);
    EXPECT_EQ(FUnit->RequestCount(0x0004), 0);
    EXPECT_EQ(FUnit->Fram(0x2000, 1)[0], 0);
}

TEST_F(SimFixture, HeaderWithTotalLengthOutOfRangeIsDropped) {
    for (std::uint16_t total : {std::uint16_t(3), std::uint16_t(4 + 4608 + 1)}) {
        TReport r{};
        r[5] = 0xEB;
        r[7] = std::uint8_t(total);
        r[8] = std::uint8_t(total >> 8);
        ASSERT_TRUE(FClient.SendReport(r));
    }
    EXPECT_FALSE(FClient.ReceiveReply(200));
    EXPECT_EQ(FUnit->DroppedMessages(), 2);
    EXPECT_TRUE(FClient.Call(0x00EB));
}

TEST_F(SimFixture, RandomReportsNeverUpsetTheUnit) {
    std::uint32_t x = 12345;
    auto next = [&x] { x = x * 1103515245u + 12345u; return std::uint8_t(x >> 16); };
    const std::uint16_t commands[] = {0x0003, 0x0004, 0x0005, 0x0006, 0x0021, 0x0022, 0x0023, 0x0027,
                                      0x0100, 0x0101, 0x00E8, 0x00EA, 0x00EB, 0x5000, 0x5001};
    for (int i = 0; i < 3000; ++i) {
        TReport r{};
        for (std::size_t k = 1; k < r.size(); ++k) r[k] = next();
        if (i % 3 == 0) {   // plausible headers with random lengths and data
            const auto c = commands[next() % std::size(commands)];
            r[5] = std::uint8_t(c);
            r[6] = std::uint8_t(c >> 8);
            r[7] = next() % 70;
            r[8] = 0;
        }
        if (IsEnterBootloader(r)) continue;
        ASSERT_TRUE(FClient.SendReport(r));
        if (i % 50 == 0)
            while (FClient.ReceivePacket(0)) {
            }
    }
    while (FClient.ReceivePacket(100)) {
    }
    auto reply = FClient.Call(0x00EB);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->Data.size(), 8u);
    EXPECT_GT(FUnit->RequestTotal(), 500);
}
