#include <gtest/gtest.h>

#include <set>

#include "Channeldevice.h"
#include "LiveFakes.h"

namespace {

std::unique_ptr<TChannelDevice> MakeDevice(TLiveSource* source, const TDeviceID& id, std::uint8_t mode = 1) {
    return TChannelDevice::Create(source, mode, id);
}

const TRawChannel* Channel(const TChannelDevice& d, int id) { return d.Channels().FindByID(id); }

void Store(TChannelDevice& d, int id, std::uint32_t raw) {
    std::lock_guard<std::recursive_mutex> guard(d.Channels().Mutex());
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(raw), static_cast<std::uint8_t>(raw >> 8),
                                   static_cast<std::uint8_t>(raw >> 16), static_cast<std::uint8_t>(raw >> 24)};
    TRawChannel* c = d.Channels().FindByID(id);
    c->StoreRaw(bytes, c->DataSize());
}

// A System record with the given output count and output kinds.
std::vector<std::uint8_t> System(int outputs, std::vector<std::uint8_t> kinds) {
    std::vector<std::uint8_t> s(23, 0);
    s[4] = static_cast<std::uint8_t>(outputs);
    for (std::size_t i = 0; i < kinds.size(); ++i)
        s[11 + i] = kinds[i];
    return s;
}

}  // namespace

struct TRowCase {
    std::uint8_t Kind;
    int ID;
    const char* Name;
    std::uint8_t DataType;
    int Decimals;
};

class ChannelRowTest : public ::testing::TestWithParam<TRowCase> {};

TEST_P(ChannelRowTest, TableRowAsListed) {
    const TRowCase& c = GetParam();
    auto device = MakeDevice(nullptr, TDeviceID(nullptr, 0, KConnUSB, c.Kind));
    ASSERT_TRUE(device);
    const TRawChannel* ch = Channel(*device, c.ID);
    ASSERT_TRUE(ch) << c.ID;
    EXPECT_EQ(ch->Name(), c.Name);
    EXPECT_EQ(ch->DataType(), c.DataType) << c.Name;
    EXPECT_EQ(ch->Decimals(), c.Decimals) << c.Name;
    EXPECT_FALSE(ch->Clamp());
}

INSTANTIATE_TEST_SUITE_P(
    Tables, ChannelRowTest,
    ::testing::Values(
        TRowCase{KDevKindKZD, 1, "Digital 0 (State)", KChanU8, 0},
        TRowCase{KDevKindKZD, 9, "Digital 3 (Count)", KChanU32, 0},
        TRowCase{KDevKindKZD, 22, "Analog 4 (V)", KChanU16, 3},
        TRowCase{KDevKindKZD, 26, "Analog Out 1 (V)", KChanU16, 3},
        TRowCase{KDevKindKZD, 28, "Engine RPM", KChanU16, 0},
        TRowCase{KDevKindKZD, 64, "Ch 2 - RPM", KChanU16, 0},
        TRowCase{KDevKindKZD, 36, "Ch 0 - Degree In (TDC)", KChanS16, 2},
        TRowCase{KDevKindKZD, 94, "Ch 3 - Adjustment", KChanS32, 2},
        TRowCase{KDevKindKZD, 305, "Ch 2 Flag - Enabled", KChanFlag, 0},
        TRowCase{KDevKindKZD, 318, "Ch 3 Flag - Quick Shifted", KChanFlag, 0},
        TRowCase{KDevKindKZD, 198, "TPS Rate Of Change (%)", KChanS16, 1},
        TRowCase{KDevKindKZD, 282, "Sys Flag - Engine Running", KChanFlag, 0},
        TRowCase{KDevKindKZD, 195, "Error Count", KChanU8, 0},
        TRowCase{KDevKindKZD, 272, "Ch 3 - Actual Pulse Width Adjustment (%)", KChanU8, 2},
        TRowCase{KDevKindKZD, 277, "Ch ALL - Pulse Width Out (mS)", KChanU8, 3},
        TRowCase{KDevKindKZD, 243, "Trim Pot 2 (V)", KChanU16, 3},
        TRowCase{KDevKindKZD, 246, "Trim Pot 3 (%)", KChanS16, 2},
        TRowCase{KDevKindKZD, 248, "No Trim Zone", KChanU8, 2},
        TRowCase{KDevKindKZD, 240, "O2 Output 1 (V)", KChanU16, 3},
        TRowCase{KDevKindKZD, 335, "O2 Flags 1 - Rich/Lean", KChanFlag, 0},
        TRowCase{KDevKindQC7, 30, "Gear Ratio", KChanU32, 3},
        TRowCase{KDevKindQC7, 290, "VR Flag - Rev X-tend", KChanFlag, 0},
        TRowCase{KDevKindQC7SFM, 321, "AT Flag - Wating For Run Time", KChanFlag, 0},
        TRowCase{KDevKindQC7Ignition, 122, "AT - Integrator 0", KChanS8, 0},
        TRowCase{KDevKindQC7, 331, "LBX Flags 1 - GoNoGo In Progress", KChanFlag, 0},
        TRowCase{KDevKindLBX, 6, "TPS (%)", KChanU8, 1},
        TRowCase{KDevKindLBX, 15, "Flag - Go NoGo In Progress", KChanFlag, 0},
        TRowCase{KDevKindDualLBX, 14, "Flags 2", KChanU8, 0},
        TRowCase{KDevKindDualLBX, 13, "AFR 2", KChanU8, 1},
        TRowCase{KDevKindDualLBX, 17, "Flag 2 - Go NoGo", KChanFlag, 0}));

TEST(ChannelTables, IdentifiersUniqueAndEverySourceResolved) {
    for (std::uint8_t kind : {KDevKindQC7, KDevKindKZD, KDevKindLBX, KDevKindDualLBX}) {
        auto device = MakeDevice(nullptr, TDeviceID(nullptr, 0, KConnUSB, kind));
        std::set<int> ids;
        for (TRawChannel* ch : device->Channels().Snapshot()) {
            EXPECT_TRUE(ids.insert(ch->ID()).second) << "duplicate " << ch->ID();
            if (ch->Direct()) {
                EXPECT_LT(ch->ID(), 256);
                EXPECT_GT(ch->DataSize(), 0) << ch->Name();
            } else if (auto* flag = dynamic_cast<TFlagChannel*>(ch)) {
                EXPECT_TRUE(flag->Source()) << ch->Name();
            } else if (ch->ID() < 274 || ch->ID() > 277) {  // "Ch ALL" need a System record
                EXPECT_TRUE(static_cast<TSWChannel*>(ch)->Source1()) << ch->Name();
            }
        }
    }
}

TEST(ChannelTables, ControllerTpsVoltsHasBoundsButNoClamp) {
    auto device = MakeDevice(nullptr, KzdUsb());
    const TRawChannel* tps = Channel(*device, 117);
    EXPECT_EQ(tps->Name(), "TPS (V)");
    EXPECT_EQ(tps->Max(), 5.0);
    EXPECT_FALSE(tps->Clamp());
}

TEST(ChannelTables, KzdHasTrimPotsAndQc7DoesNot) {
    auto kzd = MakeDevice(nullptr, KzdUsb());
    auto qc7 = MakeDevice(nullptr, Qc7Usb());
    EXPECT_TRUE(Channel(*kzd, 241));
    EXPECT_TRUE(Channel(*kzd, 28));
    EXPECT_FALSE(Channel(*qc7, 241));
    qc7->SubscribeChannel(241);  // unknown: nothing happens
    EXPECT_EQ(qc7->GetChannelValue(241), 0.0);
    EXPECT_FALSE(Channel(*kzd, 29));
}

TEST(ChannelTables, OnlyControllersAndWidebandModulesGetChannelDevices) {
    for (std::uint8_t kind : {KDevKindQC7Bootloader, KDevKindQC7Tester, KDevKindKZR, KDevKindMiniDisplay})
        EXPECT_FALSE(MakeDevice(nullptr, TDeviceID(nullptr, 0, KConnUSB, kind))) << int(kind);
}

class ChAllTest : public ::testing::Test {
protected:
    std::unique_ptr<TChannelDevice> WithSystem(std::vector<std::uint8_t> system, int status = 0) {
        FDriver.FSystem = std::move(system);
        FDriver.FSystemStatus = status;
        FSource.Connect(KzdUsb(), &FDriver);
        return MakeDevice(&FSource, KzdUsb());
    }
    static std::string SourceName(const TChannelDevice& d, int id) {
        const TRawChannel* s = static_cast<const TSWChannel*>(Channel(d, id))->Source1();
        return s ? s->Name() : "(none)";
    }
    TFakeQC7 FDriver{CommonControllerTable(-1, -1)};
    TFakeLiveSource FSource;
};

TEST_F(ChAllTest, SourcesFollowTheFirstFuelAndIgnitionOutputs) {
    auto d = WithSystem(System(2, {2, 1}));
    auto* qc7 = static_cast<TChannelDeviceQC7Base*>(d.get());
    EXPECT_EQ(qc7->FindOutput(1), 1);
    EXPECT_EQ(qc7->FindOutput(2), 0);
    EXPECT_EQ(SourceName(*d, 274), "Ch 1 - Duty Cycle Out (%)");
    EXPECT_EQ(SourceName(*d, 275), "Ch 1 - Adjustment");
    EXPECT_EQ(SourceName(*d, 277), "Ch 1 - Pulse Width Out (mS)");
    EXPECT_EQ(SourceName(*d, 276), "Ch 0 - Adjustment");
    Store(*d, 58, 4250);       // Ch 1 - Duty Cycle Out, 42.50 %
    Store(*d, 40, 72 * 1500);  // Ch 0 - Pulse Width Out, 1.5 ms
    Store(*d, 56, 72 * 2750);  // Ch 1 - Pulse Width Out, 2.75 ms
    EXPECT_DOUBLE_EQ(d->GetChannelValue(274), 42.5);
    EXPECT_DOUBLE_EQ(d->GetChannelValue(277), 2.75);
}

TEST_F(ChAllTest, NoOutputsLeaveThemWithoutSources) {
    auto d = WithSystem(System(0, {1, 2, 1, 2}));
    for (int id : {274, 275, 276, 277})
        EXPECT_EQ(SourceName(*d, id), "(none)") << id;
    Store(*d, 42, 5000);
    EXPECT_EQ(d->GetChannelValue(274), 0.0);
}

TEST_F(ChAllTest, OutputsBeyondTheCountOrTheFourthAreNotSearched) {
    auto d = WithSystem(System(9, {2, 2, 2, 2, 1}));
    auto* qc7 = static_cast<TChannelDeviceQC7Base*>(d.get());
    EXPECT_EQ(qc7->FindOutput(1), -1);  // byte 15 is no output kind
    EXPECT_EQ(qc7->FindOutput(2), 0);
}

TEST_F(ChAllTest, FailedSystemReadLeavesTheRecordZero) {
    auto d = WithSystem(System(2, {1, 2}), -2);  // the fake scribbles on failure
    auto* qc7 = static_cast<TChannelDeviceQC7Base*>(d.get());
    for (std::uint8_t b : qc7->System())
        EXPECT_EQ(b, 0);
    EXPECT_EQ(SourceName(*d, 274), "(none)");
}

TEST(LbxConfiguration, RecordsReadAtCreationScaleSpeedAndThrottle) {
    TFakeWideband module;
    module.FSetup[6] = 2;
    module.FScaling = {100, 0, 0, 0, 0x84, 0x03, 0xE8, 0x03};  // (100, 0), (900, 1000)
    module.SetPlugged(false);
    TFakeLiveSource source;
    const TDeviceID id = CanNode(KDevKindLBX, 0, Qc7Usb());
    source.Connect(id, nullptr, &module);
    auto d = MakeDevice(&source, id);
    auto* lbx = static_cast<TChannelDeviceLBX*>(d.get());
    EXPECT_EQ(lbx->RpmConfig()[6], 2);
    EXPECT_EQ(lbx->TpsCalibration()[4], 0x84);
    d.reset();  // stop the thread before storing by hand
    d = MakeDevice(&source, id);
    // Stored by hand (the polling thread is tested on its own).
    Store(*d, 1, 1000);
    Store(*d, 2, 500);
    EXPECT_DOUBLE_EQ(d->GetChannelValue(5), 11250.0);
    EXPECT_DOUBLE_EQ(d->GetChannelValue(6), 500.0);
}

TEST(LbxConfiguration, FailedReadsLeaveZeroRecords) {
    TFakeWideband module;
    module.FSetup = {9, 9, 9, 9, 9, 9, 9, 9};
    module.FScaling = {9, 9, 9, 9, 9, 9, 9, 9};
    module.FSetupStatus = -1;
    module.FScalingStatus = -1;
    module.SetPlugged(false);
    TFakeLiveSource source;
    const TDeviceID id = CanNode(KDevKindLBX, 0, Qc7Usb());
    source.Connect(id, nullptr, &module);
    auto d = MakeDevice(&source, id);
    auto* lbx = static_cast<TChannelDeviceLBX*>(d.get());
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(lbx->RpmConfig()[static_cast<std::size_t>(i)], 0);
        EXPECT_EQ(lbx->TpsCalibration()[static_cast<std::size_t>(i)], 0);
    }
}

TEST(ChannelDeviceList, FindByIdUsesEachEntrysMatchMode) {
    const TDeviceID usb = Qc7Usb();
    const TDeviceID can = CanNode(KDevKindQC7, 0, KzdUsb());
    struct TCase {
        std::uint8_t Mode;
        bool MatchesUsb, MatchesCan;
    } cases[] = {{0, true, false}, {1, true, true}, {7, false, false}};
    for (const TCase& c : cases) {
        TChannelDeviceList list;
        list.Add(MakeDevice(nullptr, usb, c.Mode).release());
        EXPECT_EQ(list.FindByID(usb) != nullptr, c.MatchesUsb) << int(c.Mode);
        EXPECT_EQ(list.FindByID(can) != nullptr, c.MatchesCan) << int(c.Mode);
    }
}
