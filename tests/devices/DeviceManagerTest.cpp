#include <gtest/gtest.h>

#include <memory>

#include "Deviceinfo.h"
#include "Devicemanager.h"
#include "Kzdusb.h"
#include "Qc7errorcode.h"
#include "Simulator.h"
#include "Simunit.h"

namespace {

// A device manager over the simulator's link directory, run pass by pass.
class DeviceManagerTest : public ::testing::Test {
protected:
    TSimulator Sim;
    TPlainUIBridge UI;
    std::unique_ptr<TDevManager> Manager;
    int Changes = 0;

    void SetUp() override {
        Manager = std::make_unique<TDevManager>(UI, MakeHIDBackend(TDeviceSource{Sim.LinkDir()}));
        Manager->Subscribe([this](TDevManager&) { ++Changes; });
    }
    void Pass() { ASSERT_TRUE(Manager->RunEnumeration(10000)); }
    std::vector<std::string> ConnectedNames() {
        std::vector<std::string> names;
        for (TDeviceID* id : Manager->ConnectedIds().Snapshot())
            names.push_back(id->Name() + "/" + std::to_string(id->Number()));
        return names;
    }
    static TDeviceID Kzd() { return TDeviceID(nullptr, 0x0506, KConnUSB, KDevKindKZD); }
};

}  // namespace

TEST_F(DeviceManagerTest, UnitFoundOnAPassAndSameSetCallsNoSubscriber) {
    Sim.AddUnit();
    Pass();
    EXPECT_EQ(ConnectedNames(), std::vector<std::string>{"KZD /1286"});
    EXPECT_EQ(Changes, 1);
    EXPECT_TRUE(Manager->IsConnected(Kzd()));
    EXPECT_NE(dynamic_cast<TKZDUSB*>(Manager->DriverOf(Kzd())), nullptr);
    Pass();
    EXPECT_EQ(Changes, 1);
    EXPECT_EQ(Manager->Devices().Count(), 1);
}

TEST_F(DeviceManagerTest, UnpluggedUnitKeepsItsRecordAndComesBack) {
    TSimUnit& unit = Sim.AddUnit();
    Pass();
    TDevice* record = Manager->Devices().FindIdentical(Kzd());
    ASSERT_NE(record, nullptr);
    unit.Detach();
    Pass();
    EXPECT_FALSE(Manager->IsConnected(Kzd()));
    EXPECT_EQ(Manager->DriverOf(Kzd()), nullptr);
    EXPECT_TRUE(ConnectedNames().empty());
    EXPECT_EQ(Changes, 2);
    ASSERT_TRUE(unit.Attach());
    Pass();
    EXPECT_TRUE(Manager->IsConnected(Kzd()));
    EXPECT_EQ(Manager->Devices().FindIdentical(Kzd()), record);
    EXPECT_EQ(Manager->Devices().Count(), 1);
    EXPECT_EQ(Changes, 3);
    // The driver works again over the reopened connection.
    std::uint8_t info[32];
    EXPECT_EQ(static_cast<TQC7*>(Manager->DriverOf(Kzd()))->ReadDeviceInfo(info), 0);
}

TEST_F(DeviceManagerTest, TwoUnitsWithOneProductIdAreNotOpened) {
    TSimUnitOptions a, b;
    a.Name = "bench1";
    b.Name = "bench2";
    TSimUnit& first = Sim.AddUnit(a);
    TSimUnit& second = Sim.AddUnit(b);
    Pass();
    EXPECT_FALSE(Manager->IsConnected(Kzd()));
    EXPECT_FALSE(first.IsConnected());
    EXPECT_FALSE(second.IsConnected());
    EXPECT_EQ(Changes, 0);
}

TEST_F(DeviceManagerTest, UnknownProductIdsAndOtherVendorsAreIgnored) {
    TSimUnitOptions odd, foreign;
    odd.Name = "odd";
    odd.ProductId = 0x0507;
    foreign.Name = "foreign";
    foreign.VendorId = 0x1234;
    Sim.AddUnit(odd);
    Sim.AddUnit(foreign);
    Pass();
    EXPECT_EQ(Manager->Devices().Count(), 0);
    EXPECT_TRUE(ConnectedNames().empty());
}

TEST_F(DeviceManagerTest, UnitInItsBootloaderShowsTheBootloaderIdentityAndBack) {
    TSimUnit& unit = Sim.AddUnit();
    Pass();
    const std::optional<TDeviceID> boot = Manager->BootloaderIdOf(Kzd());
    ASSERT_TRUE(boot.has_value());
    EXPECT_EQ(boot->Kind(), KDevKindQC7Bootloader);
    EXPECT_EQ(boot->Number(), 0x0503);

    unit.RestartInto(true);
    ASSERT_TRUE(unit.WaitAttached(true, 5000));
    Pass();
    EXPECT_EQ(ConnectedNames(), std::vector<std::string>{"QC7 Bootloader/1283"});
    EXPECT_TRUE(Manager->IsConnected(*boot));
    EXPECT_FALSE(Manager->IsConnected(Kzd()));

    unit.RestartInto(false);
    ASSERT_TRUE(unit.WaitAttached(true, 5000));
    Pass();
    EXPECT_EQ(ConnectedNames(), std::vector<std::string>{"KZD /1286"});
    EXPECT_EQ(Manager->Devices().Count(), 2);
}

TEST_F(DeviceManagerTest, PassEndQueuedAtDestructionCallsNoSubscriber) {
    Sim.AddUnit();
    Manager->StartEnumeration();
    // Wait for the pass to finish on its thread without running its end.
    for (int i = 0; i < 10000 && UI.PendingCount() == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(UI.PendingCount(), 1);
    Manager.reset();
    UI.ProcessEvents();
    EXPECT_EQ(Changes, 0);
}

TEST_F(DeviceManagerTest, ErrorLogIsListedNewestFirst) {
    TSimUnit& unit = Sim.AddUnit();
    Pass();
    TQC7ErrorCodeManager codes(*Manager, Kzd());

    unit.SetErrorLog(0, {});
    EXPECT_EQ(codes.Refresh(), 0);
    EXPECT_EQ(codes.Codes().Count(), 0);

    unit.SetErrorLog(2, {{0xC0000001u, 12345}, {153, 7}});
    ASSERT_EQ(codes.Refresh(), 0);
    ASSERT_EQ(codes.Codes().Count(), 2);
    EXPECT_EQ(codes.Codes().Get(0)->Number(), 153u);
    EXPECT_EQ(codes.Codes().Get(0)->Message(), "???");
    EXPECT_EQ(codes.Codes().Get(1)->Message(), "Read Only Flash - Invalid Table");
    EXPECT_EQ(codes.Codes().Get(1)->Severity(), "Fatal");
    EXPECT_EQ(codes.Codes().Get(1)->Value(), 12345);

    // A failing read leaves the list empty with the driver's status.
    unit.SetSilent(true);
    EXPECT_NE(codes.Refresh(), 0);
    EXPECT_EQ(codes.Codes().Count(), 0);

    TQC7ErrorCodeManager nobody(*Manager, TDeviceID(nullptr, 0x0502, KConnUSB, KDevKindQC7));
    EXPECT_EQ(nobody.Refresh(), -1);
}

TEST_F(DeviceManagerTest, DeviceInformationLinesInTheirOrder) {
    TSimUnit& unit = Sim.AddUnit();
    Pass();
    auto* driver = static_cast<TQC7*>(Manager->DriverOf(Kzd()));
    ASSERT_NE(driver, nullptr);
    std::vector<std::string> labels;
    for (const auto& line : ReadDeviceInfoLines(*driver))
        labels.push_back(line.Label);
    const std::vector<std::string> all = {"Hardware Version", "Bootloader Version", "Firmware Version", "Guid",
                                          "Serial Number",    "Model Number",       "Map Type"};
    EXPECT_EQ(labels, all);

    // A failing firmware read drops that line only.
    unit.SetReplyDataLength(0x00EB, 3);
    labels.clear();
    for (const auto& line : ReadDeviceInfoLines(*driver))
        labels.push_back(line.Label);
    EXPECT_EQ(labels, (std::vector<std::string>{"Hardware Version", "Bootloader Version", "Guid", "Serial Number",
                                                 "Model Number", "Map Type"}));
}

TEST(DeviceInfoText, VersionsAndFixedTexts) {
    EXPECT_EQ(DottedVersion(0x01020304u), "1.2.3.4");
    EXPECT_EQ(DottedVersion(0xFF00000Au), "255.0.0.10");
    const std::uint8_t serial[16] = {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L', 'M', 'N', 'O', 'P'};
    EXPECT_EQ(FixedText(serial, 16), "ABCDEFGHIJKLMNOP");
    const std::uint8_t cut[4] = {'0', '1', 0, '3'};
    EXPECT_EQ(FixedText(cut, 4), "01");
}
