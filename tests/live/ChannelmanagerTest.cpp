#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "Channelmanager.h"
#include "Channelwatch.h"
#include "Devmanagersource.h"
#include "LiveFakes.h"
#include "Simulator.h"

namespace {

TChannelTable KzdTable() {
    TChannelTable t = CommonControllerTable(-1, -1);
    const TChannelTable extra = KZDExtraTable();
    t.insert(t.end(), extra.begin(), extra.end());
    return t;
}

// One QC7 controller seen twice: on USB, and as a node on the CAN bus of a
// KZD unit; each identity with a driver of its own.
class MatchModeTest : public ::testing::TestWithParam<std::uint8_t> {
protected:
    void SetUp() override {
        FUsbDriver.SetValue(28, 1000);
        FCanDriver.SetValue(28, 2000);
        FSource.Connect(FUsb, &FUsbDriver);
        FSource.Connect(FCan, &FCanDriver);
    }
    TFakeQC7 FUsbDriver{CommonControllerTable(-1, -1)};
    TFakeQC7 FCanDriver{CommonControllerTable(-1, -1)};
    TFakeLiveSource FSource;
    TDeviceID FUsb = Qc7Usb();
    TDeviceID FCan = CanNode(KDevKindQC7, 0, KzdUsb());
};

}  // namespace

TEST_P(MatchModeTest, OneChannelDevicePerIdentityByMatchMode) {
    const std::uint8_t mode = GetParam();
    TChanManager manager(&FSource, mode);
    FSource.Publish();
    FSource.Publish();  // a second notification creates nothing more
    manager.SubscribeChannel(FUsb, 28);
    manager.SubscribeChannel(FCan, 28);
    ASSERT_TRUE(AwaitTrue([&] { return manager.IsOnline(FUsb) && manager.IsOnline(FCan); }));
    ASSERT_TRUE(AwaitTrue([&] { return manager.GetChannelValue(FCan, 28) != 0.0; }));
    if (mode == TChannelDevice::KMatchIdentical) {
        EXPECT_EQ(manager.Devices().Count(), 2);
        EXPECT_EQ(manager.GetChannelValue(FUsb, 28), 1000.0);
        EXPECT_EQ(manager.GetChannelValue(FCan, 28), 2000.0);  // polled through its own driver
    } else {
        EXPECT_EQ(manager.Devices().Count(), 1);
        EXPECT_EQ(manager.GetChannelValue(FUsb, 28), 1000.0);
        EXPECT_EQ(manager.GetChannelValue(FCan, 28), 1000.0);  // the same device
        const TRawChannel* rpm = manager.Devices().Items(0)->Channels().FindByID(28);
        EXPECT_EQ(rpm->Subscribers(), 2);
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, MatchModeTest, ::testing::Values(0, 1));

TEST(ChanManager, UnknownDevicesAndKindsWithoutChannelsReadNothing) {
    TFakeLiveSource source;
    source.Connect(TDeviceID(nullptr, KBootloaderProductId, KConnUSB, KDevKindQC7Bootloader), nullptr);
    TChanManager manager(&source, 1);
    source.Publish();
    EXPECT_EQ(manager.Devices().Count(), 0);
    manager.SubscribeChannel(KzdUsb(), 28);
    EXPECT_EQ(manager.GetChannelValue(KzdUsb(), 28), 0.0);
    EXPECT_FALSE(manager.IsOnline(KzdUsb()));
    EXPECT_EQ(manager.FindChannelByName(KzdUsb(), "Engine RPM"), -1);
}

TEST(ChanManager, ChannelDevicesOutliveTheirDeviceAndFollowItBack) {
    TFakeQC7 driver{KzdTable()};
    driver.SetValue(28, 900);
    TFakeLiveSource source;
    source.Connect(KzdUsb(), &driver);
    {
        TChanManager manager(&source, 1);
        EXPECT_EQ(source.SubscriberCount(), 1);
        source.Publish();
        EXPECT_EQ(manager.FindChannelByName(KzdUsb(), "Engine RPM"), 28);
        EXPECT_EQ(manager.ChannelName(KzdUsb(), 282), "Sys Flag - Engine Running");
        manager.SubscribeChannel(KzdUsb(), 28);
        ASSERT_TRUE(AwaitTrue([&] { return manager.IsOnline(KzdUsb()); }));
        source.SetConnected(KzdUsb(), false);
        source.Publish();
        ASSERT_TRUE(AwaitTrue([&] { return !manager.IsOnline(KzdUsb()); }));
        EXPECT_EQ(manager.Devices().Count(), 1);
        source.SetConnected(KzdUsb(), true);
        source.Publish();
        EXPECT_TRUE(AwaitTrue([&] { return manager.IsOnline(KzdUsb()); }));
        EXPECT_EQ(manager.Devices().Count(), 1);
    }
    EXPECT_EQ(source.SubscriberCount(), 0);
}

TEST(ChannelWatch, ReportsErrorCountAndEngineRunningWhileOnline) {
    TFakeQC7 driver{KzdTable()};
    driver.SetValue(195, 7);
    driver.SetValue(143, 0x4);
    TFakeLiveSource source;
    source.Connect(KzdUsb(), &driver);
    TChanManager manager(&source, 1);
    source.Publish();
    const TRawChannelList& channels = manager.Devices().Items(0)->Channels();
    {
        TChannelWatch watch(&source, &manager);
        watch.Tick();
        EXPECT_FALSE(watch.Valid());  // no device set
        const TDeviceID kzd = KzdUsb();
        watch.SetDevice(&kzd);
        EXPECT_TRUE(channels.FindByID(195)->Active());
        EXPECT_TRUE(channels.FindByID(143)->Active());
        ASSERT_TRUE(AwaitTrue([&] {
            watch.Tick();
            return watch.Valid() && watch.ErrorCount() == 7;
        }));
        EXPECT_TRUE(watch.EngineRunning());
        source.SetConnected(KzdUsb(), false);
        ASSERT_TRUE(AwaitTrue([&] {
            watch.Tick();
            return !watch.Valid();
        }));
        EXPECT_EQ(watch.ErrorCount(), 7);  // the last online tick's count
        EXPECT_TRUE(watch.EngineRunning());
        watch.SetDevice(nullptr);
        EXPECT_FALSE(channels.FindByID(195)->Active());
        watch.SetDevice(&kzd);
    }
    EXPECT_FALSE(channels.FindByID(195)->Active());  // destruction unsubscribed
    EXPECT_FALSE(channels.FindByID(143)->Active());
}

TEST(ChannelWatch, TruncatesTowardZeroAndSaturates) {
    EXPECT_EQ(TruncateToInt(3.99), 3);
    EXPECT_EQ(TruncateToInt(-3.99), -3);
    EXPECT_EQ(TruncateToInt(1e300), std::numeric_limits<int>::max());
    EXPECT_EQ(TruncateToInt(-1e300), std::numeric_limits<int>::min());
    EXPECT_EQ(TruncateToInt(std::nan("")), 0);
}

// The whole road: simulated unit, report link, USB message layer, driver,
// device manager, channel manager.
TEST(LiveOverSimulator, KzdChannelsArePolledThroughRealReports) {
    TSimulator sim;
    sim.AddUnit();
    TPlainUIBridge ui;
    TDevManager devices(ui, MakeHIDBackend(TDeviceSource{sim.LinkDir()}));
    TDevManagerSource source(devices);
    TChanManager manager(&source, 1);
    ASSERT_TRUE(devices.RunEnumeration(10000));
    ASSERT_EQ(manager.Devices().Count(), 1);
    const TDeviceID kzd = manager.Devices().Items(0)->ID();
    EXPECT_EQ(kzd.Kind(), KDevKindKZD);
    const int ids[] = {28, 197, 27, 195, 282, 117, 241};
    for (int id : ids)
        manager.SubscribeChannel(kzd, id);
    TChannelWatch watch(&source, &manager);
    watch.SetDevice(&kzd);
    ASSERT_TRUE(AwaitTrue([&] {
        watch.Tick();
        return watch.Valid();
    }));
    EXPECT_EQ(watch.ErrorCount(), 3);
    EXPECT_TRUE(watch.EngineRunning());
    const double rpm = manager.GetChannelValue(kzd, 28);
    EXPECT_GE(rpm, 1030.0);
    EXPECT_LE(rpm, 1070.0);
    EXPECT_EQ(manager.GetChannelValue(kzd, 27), 1.0);
    EXPECT_GT(manager.GetChannelValue(kzd, 197), 0.0);
    EXPECT_EQ(manager.GetChannelValue(kzd, 241), 2.5);
    EXPECT_GT(manager.GetChannelValue(kzd, 117), 0.5);
}
