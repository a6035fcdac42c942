// The whole device stack against the simulated KZD unit over the real report
// link: the report link backend, THID, the message layer and the driver.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "Kzdusb.h"
#include "Linkbackend.h"
#include "Simulator.h"
#include "TestSupport.h"
#include "Usb.h"

namespace {

using S = TQC7Struct;
using TClock = std::chrono::steady_clock;

long long MsSince(TClock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(TClock::now() - start).count();
}

struct SimFixture : ::testing::Test {
    SimFixture()
        : Unit(Sim.AddUnit()), Backend(std::make_shared<TLinkBackend>(Sim.LinkDir())),
          Usb(Backend, 0x0506, FamilyVendorId()), Driver(&Usb) {}
    void SetUp() override {
        ASSERT_TRUE(Usb.IsConnected());
        ASSERT_TRUE(Unit.WaitConnected(true, 5000));
        Unit.ResetCounts();
    }
    bool Reconnect(int limitMs = 5000) {
        return WaitUntil([&] { return Usb.IsConnected(); }, limitMs);
    }
    bool IsFlash(S which) const { return which <= S::RWBlock4 && which != S::FramTable && which != S::FeatureTable; }

    TSimulator Sim;
    TSimUnit& Unit;
    std::shared_ptr<TLinkBackend> Backend;
    TUSB Usb;
    TKZDUSB Driver;
};

TEST_F(SimFixture, LinkedUnitIsEnumeratedWithItsIdsAndServesOneConnection) {
    const auto found = Backend->Enumerate(FamilyVendorId(), 0);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].ProductId, 0x0506);
    EXPECT_EQ(found[0].Path, Unit.SocketPath());
    THID second(Backend);
    EXPECT_FALSE(second.Open(FamilyVendorId(), 0x0506)) << "the unit is held by the first connection";
    EXPECT_FALSE(second.IsOpen());
}

TEST_F(SimFixture, EveryStructureReadMatchesTheUnitsMemory) {
    for (int i = 0; i < static_cast<int>(S::Count); ++i) {
        const auto which = static_cast<S>(i);
        std::vector<std::uint8_t> buffer(QC7StructSize(which));
        ASSERT_EQ(Driver.ReadStructure(which, buffer.data()), 0) << i;
        std::uint32_t address = 0;
        ASSERT_EQ(Driver.StructureAddress(which, address), 0) << i;
        auto memory = IsFlash(which) ? Unit.Flash(address, buffer.size()) : Unit.Fram(address, buffer.size());
        const std::uint32_t sizeWord = GetLE32(memory.data());
        if (sizeWord < buffer.size() && (which == S::ROFlashTable || which == S::RWFlashTable ||
                                         which == S::FramTable || which == S::FeatureTable))
            std::fill(memory.begin() + sizeWord, memory.end(), 0);
        EXPECT_EQ(buffer, memory) << i;
    }
}

TEST_F(SimFixture, ReadFramOf600BytesIsThreeRequests) {
    std::vector<std::uint8_t> buffer(600);
    ASSERT_EQ(Driver.ReadFram(0x6000, buffer.data(), 600), 0);
    EXPECT_EQ(Unit.RequestCount(0x0003), 3);
    EXPECT_EQ(buffer, Unit.Fram(0x6000, 600));
}

TEST_F(SimFixture, WritesReachTheUnitsMemory) {
    std::vector<std::uint8_t> data(700);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>(i * 3);
    ASSERT_EQ(Driver.BeginMapWrite(), 0);
    ASSERT_EQ(Driver.WriteFram(0x100, data.data(), 700), 0);
    EXPECT_EQ(Driver.EndMapWrite(), 0);
    EXPECT_EQ(Unit.Fram(0x100, 700), data);
    EXPECT_EQ(Unit.RequestCount(0x0004), 3);
}

TEST_F(SimFixture, OutOfRangeRootPointerFailsWithoutReadingFlash) {
    auto info = Unit.DeviceInfo();
    PutLE32(info.data() + 20, 0x4FFF);
    Unit.SetDeviceInfo(info);
    std::uint8_t buffer[23];
    EXPECT_EQ(Driver.ReadSystem(buffer), -1);
    EXPECT_EQ(Driver.ReadAccelPump(buffer), -1);
    EXPECT_EQ(Unit.RequestCount(0x0006), 0);
    EXPECT_EQ(Unit.RequestCount(0x0003), 0);
}

TEST_F(SimFixture, ShortReadOnlyTableIsZeroFilledFromItsSizeWord) {
    std::uint32_t address = 0;
    ASSERT_EQ(Driver.StructureAddress(S::ROFlashTable, address), 0);
    std::vector<std::uint8_t> word(4);
    PutLE32(word.data(), 12);
    Unit.SetFlash(address, word);
    std::uint8_t buffer[20];
    ASSERT_EQ(Driver.ReadROFlashTable(buffer), 0);
    const auto device = Unit.Flash(address, 12);
    EXPECT_TRUE(std::equal(device.begin(), device.end(), buffer));
    EXPECT_TRUE(std::all_of(buffer + 12, buffer + 20, [](std::uint8_t b) { return b == 0; }));
}

TEST_F(SimFixture, FeatureTableWriteKeepsTheDevicesSizeWordAndApplies) {
    std::uint32_t address = 0;
    ASSERT_EQ(Driver.StructureAddress(S::FeatureTable, address), 0);
    std::vector<std::uint8_t> word(4);
    PutLE32(word.data(), 40);
    Unit.SetFram(address, word);
    const auto beyond = Unit.Fram(address + 40, 4);
    std::uint8_t table[44];
    std::memset(table, 0x5A, sizeof table);
    PutLE32(table, 44);
    ASSERT_EQ(Driver.WriteFeatureTable(table), 0);
    EXPECT_EQ(Unit.FramWord(address), 40u);
    EXPECT_EQ(Unit.Fram(address + 4, 36), std::vector<std::uint8_t>(36, 0x5A));
    EXPECT_EQ(Unit.Fram(address + 40, 4), beyond);
    EXPECT_EQ(Unit.RunInfo().ApplyCount, 1);

    PutLE32(word.data(), 0);
    Unit.SetFram(address, word);
    Unit.ResetCounts();
    EXPECT_EQ(Driver.WriteFeatureTable(table), -2);
    EXPECT_EQ(Unit.RequestCount(0x0004) + Unit.RequestCount(0x5001), 0);
}

struct TLengthCase {
    std::uint16_t Command;
    int Length;
};

class SimReplyLength : public SimFixture, public ::testing::WithParamInterface<TLengthCase> {};

TEST_P(SimReplyLength, ReplyOfAnotherLengthIsRefused) {
    Unit.SetReplyDataLength(GetParam().Command, GetParam().Length);
    std::uint8_t buffer[256];
    int status = 0;
    switch (GetParam().Command) {
    case 0x00EA: status = Driver.ReadDeviceInfo(buffer); break;
    case 0x0003: status = Driver.ReadFram(0, buffer, 256); break;
    case 0x00EB: status = Driver.ReadFirmwareInfo(buffer); break;
    case 0x00E8: status = Driver.ReadErrorLog(buffer); break;
    default: status = Driver.BeginMapWrite(); break;
    }
    EXPECT_EQ(status, -2);
}

INSTANTIATE_TEST_SUITE_P(Cases, SimReplyLength,
                         ::testing::Values(TLengthCase{0x00EA, 32}, TLengthCase{0x00EA, 34}, TLengthCase{0x0003, 100},
                                           TLengthCase{0x00EB, 7}, TLengthCase{0x00E8, 40}, TLengthCase{0x5002, 0}));

TEST_F(SimFixture, SilentUnitTimesOutAfterTheLimit) {
    Unit.SetSilent(true);
    std::uint8_t buffer[32];
    const auto start = TClock::now();
    EXPECT_EQ(Driver.ReadDeviceInfo(buffer), -1);
    EXPECT_GE(MsSince(start), 1000);
    EXPECT_LT(MsSince(start), 5000);
    Unit.SetSilent(false);
    EXPECT_EQ(Driver.ReadDeviceInfo(buffer), 0);
}

TEST_F(SimFixture, LateReplyEndsTheTransferInsteadOfShiftingData) {
    Unit.AddFault({TSimFault::TKind::DelayReply, 2, 1200, TSimFault::TCorruption::FlipFirstByte, 0x0003});
    std::vector<std::uint8_t> buffer(768);
    EXPECT_EQ(Driver.ReadFram(0x6000, buffer.data(), 768), -1);
    EXPECT_EQ(Unit.RequestCount(0x0003), 2) << "no piece after the one that timed out";
}

TEST_F(SimFixture, CorruptedHeaderIsDroppedAndTheRequestTimesOut) {
    Unit.AddFault({TSimFault::TKind::CorruptReply, 1, 0, TSimFault::TCorruption::BadTotalLength, 0x00EA});
    std::uint8_t buffer[32];
    EXPECT_EQ(Driver.ReadDeviceInfo(buffer), -1);
    EXPECT_EQ(Driver.ReadDeviceInfo(buffer), 0);
}

TEST_F(SimFixture, UnplugDuringAMultiPieceReadEndsInACleanFailure) {
    Unit.AddFault({TSimFault::TKind::DetachAfter, 4, 0, TSimFault::TCorruption::FlipFirstByte, 0x0003});
    std::vector<std::uint8_t> buffer(24 * 1024);
    const auto start = TClock::now();
    RunWithWatchdog([&] { EXPECT_EQ(Driver.ReadFram(0, buffer.data(), static_cast<int>(buffer.size())), -1); }, 20000,
                    "ReadFram during unplug");
    EXPECT_LT(MsSince(start), 5000);
    EXPECT_TRUE(Unit.WaitAttached(false, 5000));
    EXPECT_FALSE(Usb.IsConnected());
    EXPECT_EQ(Driver.ReadFram(0, buffer.data(), 16), -1);
}

TEST_F(SimFixture, BriefDisconnectIsReopenedOnTheNextPass) {
    Unit.AddFault({TSimFault::TKind::DetachAfter, 1, 300, TSimFault::TCorruption::FlipFirstByte, 0x00EA});
    std::uint8_t buffer[32];
    EXPECT_NE(Driver.ReadDeviceInfo(buffer), 0);
    ASSERT_TRUE(WaitUntil([&] { return Usb.Hid().DeviceGone(); })) << "the link dropped";
    ASSERT_TRUE(Unit.WaitAttached(true, 5000));
    ASSERT_TRUE(Reconnect());
    EXPECT_EQ(Driver.ReadDeviceInfo(buffer), 0);
}

TEST_F(SimFixture, FirmwareIsProgrammedOnTheBootLoaderDevice) {
    ASSERT_EQ(Driver.EnterBootloader(), 0);
    TUSB boot(Backend, 0x0503, FamilyVendorId());
    TKZDUSB loader(&boot);
    ASSERT_TRUE(WaitUntil([&] { return boot.IsConnected(); }, 10000));
    std::vector<std::uint8_t> image(5000);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i % 253);
    ASSERT_EQ(loader.ProgramFirmware(image.data(), 5000, 1), 0);
    EXPECT_EQ(Unit.Flash(0x28000, 5000), image);
    EXPECT_EQ(Unit.Flash(0x28000 + 5000, 3192), std::vector<std::uint8_t>(3192, 0xFF));
    EXPECT_EQ(Unit.RequestCount(0x0023), 14);
    ASSERT_EQ(loader.ExitBootloader(), 0);
    ASSERT_TRUE(Reconnect(10000));
    std::uint8_t info[32];
    EXPECT_EQ(Driver.ReadDeviceInfo(info), 0);
    EXPECT_EQ(GetLE32(info), 6u);
}

TEST_F(SimFixture, ClosesAndUnplugsDuringA24KBWriteNeverHang) {
    std::vector<std::uint8_t> data(24 * 1024, 0x21);
    int interrupted = 0;
    RunWithWatchdog([&] {
        for (int round = 0; round < 100; ++round) {
            if (!Unit.IsAttached())
                ASSERT_TRUE(Unit.Attach()) << Unit.LastError();
            ASSERT_TRUE(Reconnect()) << round;
            const int before = Unit.RequestCount(0x0004);
            std::atomic<int> status{1};
            std::thread sender([&] { status = Driver.WriteFram(0, data.data(), static_cast<int>(data.size())); });
            WaitUntil([&] { return Unit.RequestCount(0x0004) >= before + 1 + round % 5; }, 5000);
            if (round % 2)
                Unit.Detach();
            else
                Usb.Hid().Close();
            sender.join();
            if (status.load() != 0)
                ++interrupted;
        }
    }, 150000, "close during send over the report link");
    EXPECT_GT(interrupted, 80);
}

}  // namespace
