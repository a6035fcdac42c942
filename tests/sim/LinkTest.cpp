#include "LinkClient.h"
#include "SimFixture.h"

#include <filesystem>
#include <sys/socket.h>

namespace fs = std::filesystem;

TEST(SimLink, SocketFileNamedByIdsAndRemovedOnDetach) {
    TSimulator sim;
    TSimUnitOptions o;
    o.Name = "bench_1-a";
    TSimUnit& unit = sim.AddUnit(o);
    const fs::path expected = fs::path(sim.LinkDir()) / "f1a0-0506-bench_1-a.sock";
    EXPECT_EQ(unit.SocketPath(), expected.string());
    EXPECT_TRUE(fs::is_socket(expected));

    TLinkClient client(unit.SocketPath());
    ASSERT_TRUE(client.Connected());
    unit.Detach();
    EXPECT_FALSE(fs::exists(expected));
    EXPECT_TRUE(client.WaitClosed(5000));
    EXPECT_FALSE(TLinkClient().Connect(expected.string()));

    ASSERT_TRUE(unit.Attach());
    EXPECT_TRUE(fs::is_socket(expected));
    TLinkClient again(expected.string());
    EXPECT_TRUE(again.Call(0x00EB).has_value());
}

TEST(SimLink, VendorIdFromEnvironment) {
    ::setenv("KZD_VENDOR_ID", "0x1d50", 1);
    TSimUnitOptions o;
    ::unsetenv("KZD_VENDOR_ID");
    EXPECT_EQ(o.VendorId, 0x1D50);
    ::setenv("KZD_VENDOR_ID", "zz", 1);
    EXPECT_EQ(SimFamilyVendorId(), 0xF1A0);
    ::unsetenv("KZD_VENDOR_ID");
}

TEST(SimLink, TemporaryDirectoryRemovedAndUnitNamesKeptApart) {
    std::string dir;
    {
        TSimulator sim;
        dir = sim.LinkDir();
        sim.AddUnit();
        sim.AddUnit();
        EXPECT_EQ(sim.Unit(0).Name(), "kzd1");
        EXPECT_EQ(sim.Unit(1).Name(), "kzd2");
        EXPECT_TRUE(fs::is_socket(sim.Unit(1).SocketPath()));
        EXPECT_NE(sim.Unit(0).Flash(0x6110, 16), sim.Unit(1).Flash(0x6110, 16));   // own serial numbers
    }
    EXPECT_FALSE(fs::exists(dir));
}

TEST(SimLink, RefusesOverlongPathsAndBadNames) {
    TSimulator sim;
    const std::string deep = sim.LinkDir() + "/" + std::string(90, 'd');
    TSimulator deepSim(deep);
    EXPECT_THROW(deepSim.AddUnit(), std::runtime_error);
    TSimUnitOptions bad;
    bad.Name = "a b";
    EXPECT_THROW(sim.AddUnit(bad), std::invalid_argument);
}

TEST_F(SimFixture, SecondConnectionIsClosedAtOnce) {
    TLinkClient second;
    second.Connect(FUnit->SocketPath());
    EXPECT_TRUE(second.WaitClosed(5000));
    EXPECT_EQ(FUnit->RefusedConnections(), 1);
    EXPECT_TRUE(FClient.Call(0x00EB).has_value());   // the first one still works

    FClient.Close();
    ASSERT_TRUE(FUnit->WaitConnected(false, 5000));
    TLinkClient third(FUnit->SocketPath());
    EXPECT_TRUE(third.Call(0x00EB).has_value());
}

TEST_F(SimFixture, PacketsOfWrongLengthOrReportIdAreDropped) {
    const std::vector<std::uint8_t> shortPacket(64, 0), longPacket(66, 0), empty;
    TReport numbered{};
    numbered[0] = 1;
    numbered[5] = 0xEB;
    numbered[7] = 4;
    EXPECT_TRUE(FClient.SendPacket(shortPacket.data(), shortPacket.size()));
    EXPECT_TRUE(FClient.SendPacket(longPacket.data(), longPacket.size()));
    EXPECT_TRUE(FClient.SendPacket(empty.data(), 0));
    EXPECT_TRUE(FClient.SendReport(numbered));
    auto reply = FClient.Call(0x00EB);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->Data.size(), 8u);
    EXPECT_EQ(FUnit->BadPackets(), 4);
    EXPECT_EQ(FUnit->RequestTotal(), 1);
}
