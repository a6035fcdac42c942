// The KZD driver against a unit of the test backend: pieces, the table tree,
// the fill rule, size-keeping writes, reply checks, time-outs and unplugging.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

#include "FakeHid.h"
#include "Kzdusb.h"
#include "TestSupport.h"
#include "Usb.h"

namespace {

using S = TQC7Struct;

struct DriverFixture : ::testing::Test {
    DriverFixture() : Usb(Unit.Backend, 0x0506, 0xF1A0), Driver(&Usb) {}
    void SetUp() override { ASSERT_TRUE(Usb.IsConnected()); }

    std::vector<TFakeRequest> Of(std::uint16_t command) const {
        std::vector<TFakeRequest> out;
        for (auto& r : Unit.Messages->Requests())
            if (r.Command == command)
                out.push_back(r);
        return out;
    }
    int Count(std::uint16_t command) const { return Unit.Messages->CountOf(command); }
    // Replies for one command replaced by data (status byte included by the caller).
    void Answer(std::uint16_t command, TBytes data) {
        Unit.Kzd.Override = [command, data](const TFakeRequest& r) -> std::optional<std::vector<TFakeReply>> {
            if (r.Command != command)
                return std::nullopt;
            return std::vector<TFakeReply>{{command, data}};
        };
    }

    TFakeUnit Unit;
    TUSB Usb;
    TKZDUSB Driver;
};

TEST_F(DriverFixture, ReadFramOf600BytesIsThreePiecesOf256And256And88) {
    for (int i = 0; i < 600; ++i)
        Unit.Kzd.Fram[0x1000 + i] = static_cast<std::uint8_t>(i * 13);
    std::vector<std::uint8_t> buffer(600);
    ASSERT_EQ(Driver.ReadFram(0x1000, buffer.data(), 600), 0);
    const auto pieces = Of(0x0003);
    ASSERT_EQ(pieces.size(), 3u);
    const std::uint32_t addresses[] = {0x1000, 0x1100, 0x1200};
    const int lengths[] = {256, 256, 88};
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(pieces[i].Data.size(), 6u);
        EXPECT_EQ(GetLE32(pieces[i].Data.data()), addresses[i]);
        EXPECT_EQ(GetLE16(pieces[i].Data.data() + 4), lengths[i]);
    }
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), Unit.Kzd.Fram.begin() + 0x1000));
}

TEST_F(DriverFixture, ZeroLengthTransfersSendNothingAndSucceed) {
    std::uint8_t byte = 0;
    EXPECT_EQ(Driver.ReadFram(0, &byte, 0), 0);
    EXPECT_EQ(Driver.WriteFram(0, &byte, 0), 0);
    EXPECT_EQ(Driver.ReadFlash(0, &byte, 0), 0);
    EXPECT_EQ(Driver.WriteFlash(0, &byte, true, 0), 0);
    EXPECT_EQ(Unit.Messages->Requests().size(), 0u);
    EXPECT_EQ(Driver.ReadFram(0, &byte, -1), -1);
}

TEST_F(DriverFixture, WritesGoInPiecesAndReachTheDevice) {
    TBytes data(600);
    for (int i = 0; i < 600; ++i)
        data[i] = static_cast<std::uint8_t>(255 - i % 256);
    ASSERT_EQ(Driver.WriteFram(0x2000, data.data(), 600), 0);
    EXPECT_EQ(Count(0x0004), 3);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), Unit.Kzd.Fram.begin() + 0x2000));

    TBytes image(10000, 0x5A);
    ASSERT_EQ(Driver.WriteFlash(0x8000, image.data(), false, 10000), 0);
    const auto pieces = Of(0x0022);
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(GetLE16(pieces[2].Data.data() + 4), 10000 - 8192);
    EXPECT_EQ(GetLE32(pieces[2].Data.data()), 0x8000u + 8192);
    EXPECT_EQ(Count(0x0101), 0);
}

TEST_F(DriverFixture, FirmwareImageIsErasedAnnouncedAndWrittenIn4096ByteBlocksFilledWithFF) {
    TBytes image(10000);
    for (int i = 0; i < 10000; ++i)
        image[i] = static_cast<std::uint8_t>(i % 251);
    ASSERT_EQ(Driver.ProgramFirmware(image.data(), 10000, 3), 0);
    const auto erases = Of(0x0023);
    ASSERT_EQ(erases.size(), 14u);
    for (int i = 0; i < 14; ++i)
        EXPECT_EQ(erases[i].Data, TBytes{static_cast<std::uint8_t>(12 + i)});
    ASSERT_EQ(Of(0x0100).size(), 1u);
    EXPECT_EQ(Of(0x0100)[0].Data, TBytes{3});
    const auto blocks = Of(0x0101);
    ASSERT_EQ(blocks.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(GetLE32(blocks[i].Data.data()), 0x28000u + 4096u * i);
        EXPECT_EQ(GetLE16(blocks[i].Data.data() + 4), 4096);
    }
    const auto& last = blocks[2].Data;
    EXPECT_TRUE(std::equal(image.begin() + 8192, image.end(), last.begin() + 6));
    EXPECT_TRUE(std::all_of(last.begin() + 6 + 1808, last.end(), [](std::uint8_t b) { return b == 0xFF; }));
    // The order on the wire: every erase, then the announcement, then the blocks.
    const auto all = Unit.Messages->Requests();
    EXPECT_EQ(all[13].Command, 0x0023);
    EXPECT_EQ(all[14].Command, 0x0100);
    EXPECT_EQ(all[15].Command, 0x0101);
}

TEST_F(DriverFixture, FirmwareStopsAtTheFirstFailedErase) {
    Unit.Kzd.Override = [](const TFakeRequest& r) -> std::optional<std::vector<TFakeReply>> {
        if (r.Command == 0x0023 && r.Data == TBytes{14})
            return std::vector<TFakeReply>{{0x0023, {1}}};
        return std::nullopt;
    };
    TBytes image(100, 1);
    EXPECT_EQ(Driver.ProgramFirmware(image.data(), 100, 0), -2);
    EXPECT_EQ(Count(0x0023), 3);
    EXPECT_EQ(Count(0x0100) + Count(0x0101), 0);
}

// Every structure read walks the tree and returns the device's bytes.
class DriverStructures : public DriverFixture, public ::testing::WithParamInterface<int> {};

TEST_P(DriverStructures, ReadReturnsTheBytesAtTheAddressTheTreeGives) {
    const auto which = static_cast<S>(GetParam());
    const int size = QC7StructSize(which);
    std::vector<std::uint8_t> buffer(size, 0xCC);
    ASSERT_EQ(Driver.ReadStructure(which, buffer.data()), 0);
    std::uint32_t address = 0;
    ASSERT_EQ(Driver.StructureAddress(which, address), 0);
    const bool flash = which <= S::RWBlock4 && which != S::FramTable && which != S::FeatureTable;
    const auto& memory = flash ? Unit.Kzd.Flash : Unit.Kzd.Fram;
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), memory.begin() + address)) << GetParam();
    EXPECT_EQ(GetLE32(buffer.data()), static_cast<std::uint32_t>(size));
}

INSTANTIATE_TEST_SUITE_P(All, DriverStructures, ::testing::Range(0, static_cast<int>(S::Count)));

TEST_F(DriverFixture, AccelPumpReadCostsOneRequestPerLevel) {
    std::uint8_t buffer[10];
    ASSERT_EQ(Driver.ReadAccelPump(buffer), 0);
    const auto all = Unit.Messages->Requests();
    ASSERT_EQ(all.size(), 5u);
    const std::uint16_t expected[] = {0x00EA, 0x0006, 0x0003, 0x0003, 0x0003};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(all[i].Command, expected[i]);
}

TEST_F(DriverFixture, RootPointerOutOfRangeFailsEveryReadWithoutReadingFlash) {
    Unit.Kzd.SetDeviceInfoWord(5, 0x4FFF);
    std::uint8_t buffer[23];
    std::memset(buffer, 0xCC, sizeof buffer);
    EXPECT_EQ(Driver.ReadSystem(buffer), -1);
    EXPECT_EQ(Driver.ReadTPS(buffer), -1);
    EXPECT_EQ(Count(0x0006), 0);
    EXPECT_EQ(Count(0x0003), 0);
    EXPECT_TRUE(std::all_of(buffer, buffer + 23, [](std::uint8_t b) { return b == 0xCC; }));
    std::uint8_t tps[52] = {};
    EXPECT_EQ(Driver.WriteTPS(tps), -1);
    EXPECT_EQ(Count(0x0004) + Count(0x5001), 0);
}

struct TPointerCase {
    std::uint32_t Word;
    int Status;
    std::uint32_t Address;
};

class DriverRamPointer : public DriverFixture, public ::testing::WithParamInterface<TPointerCase> {};

TEST_P(DriverRamPointer, RamChildAddressClearsBit31AndIsCheckedAgainstItsRange) {
    const TPointerCase c = GetParam();
    Unit.Kzd.PutFram32(TFakeKZD::KFramTable + 8, c.Word);  // word 2: TPS
    std::uint8_t buffer[52];
    EXPECT_EQ(Driver.ReadTPS(buffer), c.Status);
    const auto reads = Of(0x0003);
    if (c.Status == 0) {
        ASSERT_FALSE(reads.empty());
        EXPECT_EQ(GetLE32(reads.back().Data.data()), c.Address);
    } else {
        EXPECT_EQ(reads.size(), 1u) << "only the RAM configuration table is read";
    }
}

INSTANTIATE_TEST_SUITE_P(Words, DriverRamPointer,
                         ::testing::Values(TPointerCase{0x80006900u, 0, 0x6900}, TPointerCase{0x6900u, 0, 0x6900},
                                           TPointerCase{0x800073FFu, 0, 0x73FF},
                                           TPointerCase{0x80007400u, -1, 0}, TPointerCase{0x800067FFu, -1, 0},
                                           TPointerCase{0xFFFFFFFFu, -1, 0}));

TEST_F(DriverFixture, ShortPointerTableIsCompletedWithZerosFromItsSizeWord) {
    Unit.Kzd.PutFlash32(TFakeKZD::KROTable, 12);
    std::uint8_t buffer[20];
    ASSERT_EQ(Driver.ReadROFlashTable(buffer), 0);
    EXPECT_EQ(GetLE32(buffer), 12u);
    EXPECT_TRUE(std::equal(buffer + 4, buffer + 12, Unit.Kzd.Flash.begin() + TFakeKZD::KROTable + 4));
    EXPECT_TRUE(std::all_of(buffer + 12, buffer + 20, [](std::uint8_t b) { return b == 0; }));
}

TEST_F(DriverFixture, HugeSizeWordIsNotAShortTable) {
    Unit.Kzd.PutFlash32(TFakeKZD::KROTable, 0xFFFFFFF0u);
    std::uint8_t buffer[20];
    ASSERT_EQ(Driver.ReadROFlashTable(buffer), 0);
    EXPECT_TRUE(std::equal(buffer, buffer + 20, Unit.Kzd.Flash.begin() + TFakeKZD::KROTable));
}

TEST_F(DriverFixture, OtherStructuresAreReadAtFullSizeWhateverTheirSizeWord) {
    std::uint32_t address = 0;
    ASSERT_EQ(Driver.StructureAddress(S::System, address), 0);
    Unit.Kzd.PutFlash32(address, 5);
    Unit.Messages->ClearRequests();
    std::uint8_t buffer[23];
    ASSERT_EQ(Driver.ReadSystem(buffer), 0);
    EXPECT_TRUE(std::equal(buffer, buffer + 23, Unit.Kzd.Flash.begin() + address));
}

TEST_F(DriverFixture, StructureWriteSendsTheBufferThenApplies) {
    std::uint8_t tps[52];
    for (int i = 0; i < 52; ++i)
        tps[i] = static_cast<std::uint8_t>(100 + i);
    ASSERT_EQ(Driver.WriteTPS(tps), 0);
    const auto writes = Of(0x0004);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(GetLE16(writes[0].Data.data() + 4), 52);
    const std::uint32_t address = Unit.Kzd.RamWord(TFakeKZD::KFramTable, 2);
    EXPECT_TRUE(std::equal(tps, tps + 52, Unit.Kzd.Fram.begin() + address));
    const auto all = Unit.Messages->Requests();
    ASSERT_GE(all.size(), 2u);
    EXPECT_EQ(all[all.size() - 2].Command, 0x5001);
    EXPECT_EQ(all.back().Command, 0x5000);
}

TEST_F(DriverFixture, FailedStructureWriteDoesNotApply) {
    Answer(0x0004, {1});
    std::uint8_t tps[52] = {};
    EXPECT_EQ(Driver.WriteTPS(tps), -2);
    EXPECT_EQ(Count(0x5001) + Count(0x5000), 0);
}

TEST_F(DriverFixture, ApplyStopsWhenPrepareIsRefused) {
    Answer(0x5001, {1});
    EXPECT_EQ(Driver.ApplyConfiguration(), -2);
    EXPECT_EQ(Count(0x5000), 0);
}

TEST_F(DriverFixture, FeatureTableWriteKeepsTheDevicesSizeWord) {
    Unit.Kzd.PutFram32(TFakeKZD::KFeatureTable, 40);
    std::uint8_t table[44];
    std::memset(table, 0x11, sizeof table);
    PutLE32(table, 44);
    ASSERT_EQ(Driver.WriteFeatureTable(table), 0);
    const auto writes = Of(0x0004);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(GetLE32(writes[0].Data.data()), TFakeKZD::KFeatureTable);
    EXPECT_EQ(GetLE16(writes[0].Data.data() + 4), 40);
    EXPECT_EQ(GetLE32(writes[0].Data.data() + 6), 40u);
    EXPECT_EQ(Count(0x5001), 1);
    EXPECT_EQ(Count(0x5000), 1);
}

class DriverBadFeatureSize : public DriverFixture, public ::testing::WithParamInterface<std::uint32_t> {};

TEST_P(DriverBadFeatureSize, ImpossibleSizeWordIsRefusedWithNothingWritten) {
    Unit.Kzd.PutFram32(TFakeKZD::KFeatureTable, GetParam());
    std::uint8_t table[44] = {};
    EXPECT_EQ(Driver.WriteFeatureTable(table), -2);
    EXPECT_EQ(Count(0x0004) + Count(0x5001) + Count(0x5000), 0);
}

INSTANTIATE_TEST_SUITE_P(Sizes, DriverBadFeatureSize, ::testing::Values(0u, 2u, 3u, 0xFFFFFFF0u, 0x80000000u));

// One reply shape per case and the status it must give.
struct TReplyCase {
    const char* Name;
    std::uint16_t Command;
    TBytes Reply;
    std::function<int(TKZDUSB&)> Call;
    int Status;
};

class DriverReplies : public DriverFixture, public ::testing::WithParamInterface<TReplyCase> {};

TEST_P(DriverReplies, ReplyLengthAndStatusDecide) {
    const TReplyCase& c = GetParam();
    Answer(c.Command, c.Reply);
    EXPECT_EQ(c.Call(Driver), c.Status) << c.Name;
}

TBytes StatusThen(int n, std::uint8_t status = 0) {
    TBytes b(1 + static_cast<std::size_t>(n), 0x33);
    b[0] = status;
    return b;
}

std::uint8_t GBuffer[1024];

INSTANTIATE_TEST_SUITE_P(
    Cases, DriverReplies,
    ::testing::Values(
        TReplyCase{"read 256 answered with 100", 0x0003, StatusThen(100), [](TKZDUSB& d) { return d.ReadFram(0, GBuffer, 256); }, -2},
        TReplyCase{"read answered with 257", 0x0003, StatusThen(257), [](TKZDUSB& d) { return d.ReadFram(0, GBuffer, 256); }, -2},
        TReplyCase{"read refused", 0x0006, StatusThen(16, 1), [](TKZDUSB& d) { return d.ReadGuid(GBuffer); }, -2},
        TReplyCase{"read exact", 0x0006, StatusThen(16), [](TKZDUSB& d) { return d.ReadGuid(GBuffer); }, 0},
        TReplyCase{"device info of 32 bytes", 0x00EA, TBytes(32, 0), [](TKZDUSB& d) { return d.ReadDeviceInfo(GBuffer); }, -2},
        TReplyCase{"device info of 34 bytes", 0x00EA, TBytes(34, 0), [](TKZDUSB& d) { return d.ReadDeviceInfo(GBuffer); }, -2},
        TReplyCase{"device info refused", 0x00EA, StatusThen(32, 2), [](TKZDUSB& d) { return d.ReadDeviceInfo(GBuffer); }, -2},
        TReplyCase{"device info exact", 0x00EA, StatusThen(32), [](TKZDUSB& d) { return d.ReadDeviceInfo(GBuffer); }, 0},
        TReplyCase{"firmware info of 7", 0x00EB, TBytes(7, 0), [](TKZDUSB& d) { return d.ReadFirmwareInfo(GBuffer); }, -2},
        TReplyCase{"error log of 43", 0x00E8, TBytes(43, 0), [](TKZDUSB& d) { return d.ReadErrorLog(GBuffer); }, -2},
        TReplyCase{"empty status reply", 0x5002, TBytes{}, [](TKZDUSB& d) { return d.BeginMapWrite(); }, -2},
        TReplyCase{"status with extra bytes", 0x5003, TBytes{0, 9, 9}, [](TKZDUSB& d) { return d.EndMapWrite(); }, 0},
        TReplyCase{"nonzero status", 0x0027, TBytes{5}, [](TKZDUSB& d) { return d.EnterBootloader(); }, -2},
        TReplyCase{"channels of another length", 0x0005, TBytes(3, 0),
                   [](TKZDUSB& d) { const std::uint8_t ids[2] = {28, 197}; return d.ReadChannels(2, ids, 4, GBuffer); }, -2}),
    [](const auto& info) {
        std::string name = info.param.Name;
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return name;
    });

TEST_F(DriverFixture, IdentityRecordsComeFromTheirFlashAddresses) {
    std::uint8_t serial[16], guid[16], info[32], firmware[8], log[44];
    ASSERT_EQ(Driver.ReadSerialNumber(serial), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(serial), 16), "KZD-SN-000123456");
    ASSERT_EQ(Driver.ReadGuid(guid), 0);
    EXPECT_EQ(guid[0], 0xA0);
    ASSERT_EQ(Driver.ReadDeviceInfo(info), 0);
    EXPECT_EQ(GetLE32(info), 6u);
    EXPECT_EQ(GetLE32(info + 20), TFakeKZD::KRoot);
    ASSERT_EQ(Driver.ReadFirmwareInfo(firmware), 0);
    EXPECT_EQ(GetLE32(firmware), 0x01000203u);
    ASSERT_EQ(Driver.ReadErrorLog(log), 0);
    EXPECT_EQ(GetLE32(log), 1u);
    const std::uint8_t ids[3] = {28, 197, 27};
    std::uint8_t values[3];
    ASSERT_EQ(Driver.ReadChannels(3, ids, 3, values), 0);
    EXPECT_EQ(values[1], 197);
}

TEST_F(DriverFixture, SilentDeviceTimesOutWithinTheLimit) {
    Unit.Kzd.Silent = true;
    std::uint8_t buffer[600];
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Driver.ReadFram(0, buffer, 600), -1);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(ms, 1000);
    EXPECT_LT(ms, 5000);
    EXPECT_EQ(Count(0x0003), 1) << "a timed-out piece ends the transfer";
    const std::uint8_t ids[1] = {28};
    const auto channels = std::chrono::steady_clock::now();
    EXPECT_EQ(Driver.ReadChannels(1, ids, 1, buffer), -1);
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - channels).count(), 1000);
}

TEST_F(DriverFixture, UnplugDuringAMultiPieceReadEndsInACleanFailure) {
    Unit.Kzd.Override = [this](const TFakeRequest& r) -> std::optional<std::vector<TFakeReply>> {
        if (r.Command == 0x0003 && Unit.Messages->CountOf(0x0003) == 4)
            Unit.Device->Unplug();
        return std::nullopt;
    };
    std::vector<std::uint8_t> buffer(24 * 1024);
    const auto start = std::chrono::steady_clock::now();
    RunWithWatchdog([&] { EXPECT_NE(Driver.ReadFram(0, buffer.data(), static_cast<int>(buffer.size())), 0); }, 20000,
                    "ReadFram during unplug");
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count(), 5000);
    EXPECT_LE(Count(0x0003), 5);
    EXPECT_FALSE(Usb.IsConnected());
    EXPECT_EQ(Driver.ReadFram(0, buffer.data(), 16), -1);
}

TEST(DriverWithoutTransport, EveryOperationIsUnsupported) {
    TQC7 plain;
    TKZDUSB unlinked(nullptr);
    std::uint8_t buffer[1024] = {};
    for (TQC7* d : {&plain, static_cast<TQC7*>(&unlinked)}) {
        EXPECT_EQ(d->ReadFram(0, buffer, 4), -1);
        EXPECT_EQ(d->WriteFlash(0, buffer, true, 4), -1);
        EXPECT_EQ(d->ReadDeviceInfo(buffer), -1);
        EXPECT_EQ(d->ReadTPS(buffer), -1);
        EXPECT_EQ(d->WriteFeatureTable(buffer), -1);
        EXPECT_EQ(d->ApplyConfiguration(), -1);
        EXPECT_EQ(d->ReadErrorLog(buffer), -1);
    }
    EXPECT_EQ(plain.ReadSerialNumber(buffer), -1);
}

}  // namespace
