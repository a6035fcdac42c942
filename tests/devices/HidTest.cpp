// THID over the test backend: report layout, report lengths, opening rules,
// reconnection and closing while busy.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

#include "FakeHid.h"
#include "TestSupport.h"
#include "Thid.h"

namespace {

struct HidFixture : ::testing::Test {
    std::shared_ptr<TFakeBackend> Backend = std::make_shared<TFakeBackend>();
};

TBytes Counting(int n) {
    TBytes data(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        data[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i + 1);
    return data;
}

struct TWriteCase {
    int OutputLength;
    int DataLength;
    int Reports;
};

class HidWrite : public HidFixture, public ::testing::WithParamInterface<TWriteCase> {};

TEST_P(HidWrite, CutsDataIntoReportsWithIdZeroAndZeroPadding) {
    const TWriteCase c = GetParam();
    auto device = Backend->Add("/fake/a", 0xF1A0, 0x0506, 65, c.OutputLength);
    THID hid(Backend);
    ASSERT_TRUE(hid.Open(0xF1A0, 0x0506));
    EXPECT_EQ(hid.PayloadSize(), c.OutputLength - 1);
    const TBytes data = Counting(c.DataLength);
    EXPECT_EQ(hid.Write(data.data(), c.DataLength), c.DataLength);
    const auto reports = device->Outputs();
    ASSERT_EQ(static_cast<int>(reports.size()), c.Reports);
    TBytes carried;
    for (const auto& r : reports) {
        ASSERT_EQ(static_cast<int>(r.size()), c.OutputLength);
        EXPECT_EQ(r[0], 0);
        carried.insert(carried.end(), r.begin() + 1, r.end());
    }
    ASSERT_GE(carried.size(), data.size());
    EXPECT_TRUE(std::equal(data.begin(), data.end(), carried.begin()));
    EXPECT_TRUE(std::all_of(carried.begin() + c.DataLength, carried.end(), [](std::uint8_t b) { return b == 0; }));
}

INSTANTIATE_TEST_SUITE_P(Lengths, HidWrite,
                         ::testing::Values(TWriteCase{65, 0, 0}, TWriteCase{65, 64, 1}, TWriteCase{65, 65, 2},
                                           TWriteCase{65, 200, 4}, TWriteCase{20, 19, 1}, TWriteCase{20, 20, 2},
                                           TWriteCase{6, 11, 3}));

struct TLengthCase {
    int InputLength;
    int OutputLength;
    bool Openable;
};

class HidReportLengths : public HidFixture, public ::testing::WithParamInterface<TLengthCase> {};

TEST_P(HidReportLengths, TooShortReportsAreNotOpenedAndLeaveNothingBehind) {
    const TLengthCase c = GetParam();
    auto device = Backend->Add("/fake/a", 0xF1A0, 0x0506, c.InputLength, c.OutputLength);
    THID hid(Backend);
    RunWithWatchdog([&] { EXPECT_EQ(hid.Open(0xF1A0, 0x0506), c.Openable); }, 10000, "Open");
    EXPECT_EQ(device->LiveConnections.load(), c.Openable ? 1 : 0);
    if (!c.Openable) {
        const std::uint8_t byte = 1;
        EXPECT_EQ(hid.Write(&byte, 1), 0);
        EXPECT_EQ(hid.PayloadSize(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Lengths, HidReportLengths,
                         ::testing::Values(TLengthCase{65, 3, false}, TLengthCase{65, 1, false},
                                           TLengthCase{65, 5, false}, TLengthCase{8, 65, false},
                                           TLengthCase{9, 6, true}, TLengthCase{20, 20, true}));

TEST_F(HidFixture, FailingOpensRepeatedOverManyPassesLeakNothing) {
    auto device = Backend->Add("/fake/a", 0xF1A0, 0x0506);
    device->FailOpen = true;
    THID hid(Backend);
    for (int pass = 0; pass < 100; ++pass)
        EXPECT_FALSE(hid.Open(0xF1A0, 0x0506));
    EXPECT_EQ(device->Opens.load(), 100);
    EXPECT_EQ(device->LiveConnections.load(), 0);
    device->FailOpen = false;
    EXPECT_TRUE(hid.Open(0xF1A0, 0x0506));
    EXPECT_EQ(device->LiveConnections.load(), 1);
}

TEST_F(HidFixture, TwoDevicesWithTheSameIdsCloseAndReportFalse) {
    auto first = Backend->Add("/fake/a", 0xF1A0, 0x0506);
    THID hid(Backend);
    ASSERT_TRUE(hid.Open(0xF1A0, 0x0506));
    auto second = Backend->Add("/fake/b", 0xF1A0, 0x0506);
    EXPECT_FALSE(hid.Open(0xF1A0, 0x0506));
    EXPECT_FALSE(hid.IsOpen());
    EXPECT_EQ(first->LiveConnections.load() + second->LiveConnections.load(), 0);
}

TEST_F(HidFixture, LongPathRoundTripsWhole) {
    const std::string path = "/fake/" + std::string(300, 'p');
    Backend->Add(path, 0xF1A0, 0x0506);
    THID hid(Backend);
    const auto paths = hid.EnumeratePaths(0xF1A0, 0);
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_EQ(paths[0], path);
    ASSERT_TRUE(hid.Open(0xF1A0, 0x0506));
    EXPECT_EQ(hid.OpenedPath(), path);
}

TEST_F(HidFixture, OpenPathRefusesAnotherVendorAfterOpen) {
    Backend->Add("/fake/a", 0xF1A0, 0x0506);
    Backend->Add("/fake/other", 0x1234, 0x0506);
    THID hid(Backend);
    ASSERT_TRUE(hid.Open(0xF1A0, 0x0506));
    hid.Close();
    EXPECT_FALSE(hid.OpenPath("/fake/other"));
    EXPECT_TRUE(hid.OpenPath("/fake/a"));
}

TEST_F(HidFixture, ReadThreadDeliversEveryReportWithItsLength) {
    auto device = Backend->Add("/fake/a", 0xF1A0, 0x0506, 20, 20);
    std::mutex lock;
    std::vector<TBytes> seen;
    THID hid(Backend);
    hid.SetReportHandler([&](const std::uint8_t* r, int n) {
        std::lock_guard<std::mutex> guard(lock);
        seen.emplace_back(r, r + n);
    });
    ASSERT_TRUE(hid.Open(0xF1A0, 0x0506));
    device->QueueInput(Counting(20));
    device->QueueInput(TBytes(12, 7));
    ASSERT_TRUE(WaitUntil([&] { std::lock_guard<std::mutex> g(lock); return seen.size() == 2; }));
    EXPECT_EQ(seen[0], Counting(20));
    EXPECT_EQ(seen[1], TBytes(12, 7));
}

TEST_F(HidFixture, BriefDisconnectIsReopenedOnTheNextPass) {
    auto device = Backend->Add("/fake/a", 0xF1A0, 0x0506);
    THID hid(Backend);
    ASSERT_TRUE(hid.Open(0xF1A0, 0x0506));
    device->Unplug();
    ASSERT_TRUE(WaitUntil([&] { return hid.DeviceGone(); }));
    device->Replug();  // back before the next pass
    EXPECT_TRUE(hid.Open(0xF1A0, 0x0506));
    EXPECT_FALSE(hid.DeviceGone());
    EXPECT_EQ(device->Opens.load(), 2);
    EXPECT_EQ(device->LiveConnections.load(), 1);
    const std::uint8_t byte = 9;
    EXPECT_EQ(hid.Write(&byte, 1), 1);
}

TEST_F(HidFixture, CloseWithAnIdleDeviceReturns) {
    Backend->Add("/fake/a", 0xF1A0, 0x0506);
    THID hid(Backend);
    ASSERT_TRUE(hid.Open(0xF1A0, 0x0506));
    RunWithWatchdog([&] { hid.Close(); }, 5000, "Close of an idle device");
    EXPECT_FALSE(hid.IsOpen());
}

}  // namespace
