#include <gtest/gtest.h>

#include <thread>

#include "Channeldevice.h"
#include "LiveFakes.h"

namespace {

TChannelTable KzdTable() {
    TChannelTable t = CommonControllerTable(-1, -1);
    const TChannelTable extra = KZDExtraTable();
    t.insert(t.end(), extra.begin(), extra.end());
    return t;
}

// A KZD unit on USB with a fake driver whose calls the test lets through one
// by one: after call n was allowed and call n + 1 has arrived, everything
// the thread did with the result of call n is done.
class QC7ThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        FSource.Connect(KzdUsb(), &FDriver);
        FDriver.SetValue(28, 3000);
        FDriver.SetValue(143, 0x4);
        FDriver.FGate.Close();
        FDevice = TChannelDevice::Create(&FSource, TChannelDevice::KMatchSameDevice, KzdUsb());
    }
    void TearDown() override {
        FDriver.FGate.Open();
        FDevice.reset();
    }
    // Subscribes the channels at once, so that one cycle collects them all.
    void SubscribeAll(const std::vector<int>& ids) {
        std::lock_guard<std::recursive_mutex> guard(FDevice->Channels().Mutex());
        for (int id : ids)
            FDevice->SubscribeChannel(id);
    }
    // Lets call n through and waits until the thread made call n + 1.
    void Complete(int n) {
        FDriver.FGate.AllowUpTo(n);
        ASSERT_TRUE(FDriver.FGate.AwaitArrived(n + 1));
    }
    bool Valid(int id) {
        std::lock_guard<std::recursive_mutex> guard(FDevice->Channels().Mutex());
        return FDevice->Channels().FindByID(id)->Valid();
    }

    TFakeQC7 FDriver{KzdTable()};
    TFakeLiveSource FSource;
    std::unique_ptr<TChannelDevice> FDevice;
};

}  // namespace

TEST_F(QC7ThreadTest, SixtyActiveChannelsGoOutAsRequestsOf52And8) {
    std::vector<int> ids;
    for (TRawChannel* ch : FDevice->Channels().Snapshot())
        if (ch->Direct() && ids.size() < 60)
            ids.push_back(ch->ID());
    FDriver.SetValue(ids[55], 77);
    FDriver.SetStatusOf([](int call) { return call == 3 ? -1 : 0; });
    SubscribeAll(ids);
    ASSERT_TRUE(FDriver.FGate.AwaitArrived(1));
    Complete(1);
    Complete(2);
    const auto requests = FDriver.Requests();  // with the next cycle's first, held
    ASSERT_EQ(requests.size(), 3u);
    ASSERT_EQ(requests[0].size(), 52u);
    ASSERT_EQ(requests[1].size(), 8u);
    for (std::size_t i = 0; i < 60; ++i)
        EXPECT_EQ(i < 52 ? requests[0][i] : requests[1][i - 52], ids[i]);
    EXPECT_DOUBLE_EQ(FDevice->GetChannelValue(ids[55]), 77.0);
    EXPECT_TRUE(FDevice->Online());
    // The first request of the next cycle fails: its second is not sent.
    Complete(3);
    const auto after = FDriver.Requests();
    ASSERT_EQ(after.size(), 4u);
    EXPECT_EQ(after[2].size(), 52u);
    EXPECT_EQ(after[3].size(), 52u);
}

TEST_F(QC7ThreadTest, ThreeFailedCyclesAreToleratedAndTheFourthInvalidates) {
    FDriver.SetStatusOf([](int call) { return call >= 2 && call <= 5 ? -1 : 0; });
    SubscribeAll({28, 282});
    ASSERT_TRUE(FDriver.FGate.AwaitArrived(1));
    Complete(1);
    ASSERT_TRUE(FDevice->Online());
    ASSERT_DOUBLE_EQ(FDevice->GetChannelValue(28), 3000.0);
    for (int call = 2; call <= 4; ++call) {
        Complete(call);
        EXPECT_TRUE(FDevice->Online()) << "after failed call " << call;
        EXPECT_DOUBLE_EQ(FDevice->GetChannelValue(28), 3000.0) << "after failed call " << call;
    }
    Complete(5);
    EXPECT_FALSE(FDevice->Online());
    EXPECT_EQ(FDevice->GetChannelValue(28), 0.0);
    EXPECT_FALSE(Valid(143));
    EXPECT_FALSE(Valid(28));
    Complete(6);  // a good cycle again
    EXPECT_TRUE(FDevice->Online());
    EXPECT_DOUBLE_EQ(FDevice->GetChannelValue(28), 3000.0);
    EXPECT_EQ(FDevice->GetChannelValue(282), 1.0);
}

TEST_F(QC7ThreadTest, ChannelsNotRequestedKeepTheirStateWhenOthersFail) {
    FDriver.SetStatusOf([](int call) { return call >= 2 ? -1 : 0; });
    SubscribeAll({28, 197});
    ASSERT_TRUE(FDriver.FGate.AwaitArrived(1));
    Complete(1);
    FDevice->UnsubscribeChannel(197);  // takes effect at the next cycle
    for (int call = 2; call <= 5; ++call)
        Complete(call);
    EXPECT_FALSE(Valid(28));
    EXPECT_TRUE(Valid(197));
    EXPECT_EQ(FDriver.Requests().back(), std::vector<std::uint8_t>{28});
}

TEST_F(QC7ThreadTest, NothingSubscribedSendsNoRequestAndNeverGoesOnline) {
    const int start = FSource.Lookups();
    ASSERT_TRUE(AwaitTrue([&] { return FSource.Lookups() >= start + 4; }));
    EXPECT_TRUE(FDriver.Requests().empty());
    EXPECT_EQ(FDriver.FGate.Arrived(), 0);
    EXPECT_FALSE(FDevice->Online());
}

TEST_F(QC7ThreadTest, WithoutDriverOfflineAtOnceButValuesKept) {
    FDriver.FGate.Open();
    SubscribeAll({28});
    ASSERT_TRUE(AwaitTrue([&] { return FDevice->Online(); }));
    FSource.SetConnected(KzdUsb(), false);
    ASSERT_TRUE(AwaitTrue([&] { return !FDevice->Online(); }));
    EXPECT_DOUBLE_EQ(FDevice->GetChannelValue(28), 3000.0);
    FSource.SetConnected(KzdUsb(), true);
    EXPECT_TRUE(AwaitTrue([&] { return FDevice->Online(); }));
}

TEST_F(QC7ThreadTest, DestroyingWhileAReplyIsAwaitedReturnsAfterTheThreadEnded) {
    SubscribeAll({28});
    ASSERT_TRUE(FDriver.FGate.AwaitArrived(1));
    ASSERT_EQ(FDriver.FInCall.load(), 1);
    std::thread reply([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        FDriver.FGate.Open();
    });
    FDevice.reset();
    EXPECT_EQ(FDriver.FInCall.load(), 0);
    reply.join();
}

// ---- wide-band modules

namespace {

class WidebandThreadTest : public ::testing::Test {
protected:
    std::unique_ptr<TChannelDevice> Make(std::uint8_t kind) {
        FId = std::make_unique<TDeviceID>(CanNode(kind, 0, Qc7Usb()));
        FSource.Connect(*FId, nullptr, &FModule);
        return TChannelDevice::Create(&FSource, TChannelDevice::KMatchSameDevice, *FId);
    }
    void TearDown() override { FModule.FGate.Open(); }

    TFakeWideband FModule;
    TFakeLiveSource FSource;
    std::unique_ptr<TDeviceID> FId;
};

}  // namespace

TEST_F(WidebandThreadTest, LbxFrameFillsItsFourChannels) {
    FModule.FSetup[6] = 1;
    FModule.SetFrame({0xE8, 0x03, 0xF4, 0x01, 0x10, 0x27, 0x21, 0x00});  // 1000, 500, 10000, 0x21
    auto d = Make(KDevKindLBX);
    ASSERT_TRUE(AwaitTrue([&] { return d->Online(); }));
    EXPECT_EQ(d->GetChannelValue(3), 1000.0);
    EXPECT_EQ(d->GetChannelValue(2), 500.0);
    EXPECT_EQ(d->GetChannelValue(1), 10000.0);
    EXPECT_EQ(d->GetChannelValue(4), 0x21);
    EXPECT_DOUBLE_EQ(d->GetChannelValue(7), 1.0);
    EXPECT_DOUBLE_EQ(d->GetChannelValue(8), 14.71);
    EXPECT_DOUBLE_EQ(d->GetChannelValue(5), 2.0 * 187500.0 / 10000 * 60);
    EXPECT_EQ(d->GetChannelValue(10), 1.0);  // Sensor Ready
    EXPECT_EQ(d->GetChannelValue(15), 1.0);  // Go NoGo In Progress, bit 5
    EXPECT_EQ(d->GetChannelValue(11), 0.0);
    EXPECT_EQ(FModule.LastTimeoutMs(), 500);
}

TEST_F(WidebandThreadTest, DualLbxFrameFillsBothSensors) {
    FModule.SetFrame({0xE8, 0x03, 0xD0, 0x07, 0xFF, 0xFF, 0x01, 0x02});
    auto d = Make(KDevKindDualLBX);
    ASSERT_TRUE(AwaitTrue([&] { return d->Online(); }));
    EXPECT_EQ(d->GetChannelValue(1), 1000.0);
    EXPECT_EQ(d->GetChannelValue(11), 2000.0);
    EXPECT_EQ(d->GetChannelValue(4), 1.0);
    EXPECT_EQ(d->GetChannelValue(14), 2.0);
    EXPECT_DOUBLE_EQ(d->GetChannelValue(12), 2.0);
    EXPECT_DOUBLE_EQ(d->GetChannelValue(3), 14.71);
    EXPECT_EQ(d->GetChannelValue(5), 1.0);   // Flag 1 - Sensor Ready
    EXPECT_EQ(d->GetChannelValue(16), 1.0);  // Flag 2 - Button Down
}

TEST_F(WidebandThreadTest, UnpluggedModuleIsOfflineAfterOneFailedFrame) {
    FModule.SetFrame({0xE8, 0x03, 0, 0, 0, 0, 0, 0});
    auto d = Make(KDevKindLBX);
    ASSERT_TRUE(AwaitTrue([&] { return d->Online(); }));
    FModule.FGate.Close();
    const int n = FModule.FGate.Arrived();
    ASSERT_TRUE(FModule.FGate.AwaitArrived(n + 1));
    FModule.SetPlugged(false);
    FModule.FGate.AllowUpTo(n + 1);
    ASSERT_TRUE(FModule.FGate.AwaitArrived(n + 2));
    EXPECT_FALSE(d->Online());
    EXPECT_EQ(d->GetChannelValue(3), 0.0);
    EXPECT_EQ(d->GetChannelValue(7), 0.0);
    FModule.SetPlugged(true);
    FModule.FGate.Open();
    EXPECT_TRUE(AwaitTrue([&] { return d->Online(); }));
}

TEST_F(WidebandThreadTest, AbsentModuleIsLookedUpAtAModestRateAndFoundAgain) {
    FModule.SetFrame({0xE8, 0x03, 0, 0, 0, 0, 0, 0});
    auto d = Make(KDevKindLBX);
    ASSERT_TRUE(AwaitTrue([&] { return d->Online(); }));
    FSource.SetConnected(*FId, false);
    const int before = FSource.Lookups();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_LT(FSource.Lookups() - before, 100);  // a spinning loop makes many thousands
    EXPECT_TRUE(d->Online());                    // no driver: the last state is kept
    FModule.SetFrame({0xD0, 0x07, 0, 0, 0, 0, 0, 0});
    FSource.SetConnected(*FId, true);
    EXPECT_TRUE(AwaitTrue([&] { return d->GetChannelValue(3) == 2000.0; }));
}
