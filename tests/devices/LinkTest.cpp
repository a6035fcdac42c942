// The report link backend against a device side written here (raw packets),
// the report descriptor parser of the hidraw backend, and the device source
// settings.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "Hidbackend.h"
#include "Linkbackend.h"
#include "Reportdescriptor.h"
#include "TestSupport.h"
#include "Thid.h"

namespace {

namespace fs = std::filesystem;

struct TNameCase {
    const char* Name;
    bool Valid;
    std::uint16_t Vendor, Product;
};

class LinkSocketName : public ::testing::TestWithParam<TNameCase> {};

TEST_P(LinkSocketName, FollowsTheNamingPattern) {
    std::uint16_t v = 0, p = 0;
    EXPECT_EQ(TLinkBackend::ParseSocketName(GetParam().Name, v, p), GetParam().Valid) << GetParam().Name;
    if (GetParam().Valid) {
        EXPECT_EQ(v, GetParam().Vendor);
        EXPECT_EQ(p, GetParam().Product);
    }
}

INSTANTIATE_TEST_SUITE_P(Names, LinkSocketName,
                         ::testing::Values(TNameCase{"f1a0-0506-bench1.sock", true, 0xF1A0, 0x0506},
                                           TNameCase{"f1a0-0503-a_b-c.sock", true, 0xF1A0, 0x0503},
                                           TNameCase{"F1A0-0506-kzd.sock", false, 0, 0},
                                           TNameCase{"f1a0-0506-.sock", false, 0, 0},
                                           TNameCase{"f1a0-0506-k.z.sock", false, 0, 0},
                                           TNameCase{"f1a0-0506-kzd.socket", false, 0, 0},
                                           TNameCase{"f1a0_0506-kzd.sock", false, 0, 0},
                                           TNameCase{"f1a0-05g6-kzd.sock", false, 0, 0}));

// A device side that accepts one connection and sends the packets it is given.
class TLinkPeer {
public:
    explicit TLinkPeer(const std::string& path) : FPath(path) {
        FListen = ::socket(AF_UNIX, SOCK_SEQPACKET, 0);
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        std::strncpy(a.sun_path, path.c_str(), sizeof a.sun_path - 1);
        EXPECT_EQ(::bind(FListen, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        EXPECT_EQ(::listen(FListen, 1), 0);
    }
    ~TLinkPeer() {
        if (FConn >= 0)
            ::close(FConn);
        ::close(FListen);
        ::unlink(FPath.c_str());
    }
    void Accept() { FConn = ::accept(FListen, nullptr, nullptr); }
    void Send(const std::vector<std::uint8_t>& packet) { ::send(FConn, packet.data(), packet.size(), MSG_NOSIGNAL); }
    int Receive(std::vector<std::uint8_t>& packet) {
        packet.assign(100, 0);
        const ssize_t n = ::recv(FConn, packet.data(), packet.size(), 0);
        packet.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        return static_cast<int>(n);
    }
    void Hangup() {
        ::close(FConn);
        FConn = -1;
    }

private:
    std::string FPath;
    int FListen = -1;
    int FConn = -1;
};

struct LinkFixture : ::testing::Test {
    LinkFixture() {
        Dir = fs::temp_directory_path() / ("kzdlink-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(Dir);
    }
    ~LinkFixture() override { fs::remove_all(Dir); }
    fs::path Dir;
};

TEST_F(LinkFixture, OnlyWholeReportsReachTheOwnerAndOutputReportsAre65Bytes) {
    TLinkPeer peer((Dir / "f1a0-0506-peer.sock").string());
    { std::ofstream((Dir / "notes.txt").string()) << "not a device"; }
    auto backend = std::make_shared<TLinkBackend>(Dir.string());
    ASSERT_EQ(backend->Enumerate(0, 0).size(), 1u);
    std::mutex lock;
    std::vector<std::vector<std::uint8_t>> seen;
    THID hid(backend);
    hid.SetReportHandler([&](const std::uint8_t* r, int n) {
        std::lock_guard<std::mutex> g(lock);
        seen.emplace_back(r, r + n);
    });
    std::thread accept([&] { peer.Accept(); });
    ASSERT_TRUE(hid.Open(0xF1A0, 0x0506));
    accept.join();
    EXPECT_EQ(hid.PayloadSize(), 64);
    peer.Send(std::vector<std::uint8_t>(10, 1));   // not a report: dropped
    peer.Send(std::vector<std::uint8_t>(66, 2));   // not a report: dropped
    peer.Send(std::vector<std::uint8_t>(65, 3));
    ASSERT_TRUE(WaitUntil([&] { std::lock_guard<std::mutex> g(lock); return !seen.empty(); }));
    EXPECT_EQ(seen[0], std::vector<std::uint8_t>(65, 3));
    const std::uint8_t data[3] = {7, 8, 9};
    ASSERT_EQ(hid.Write(data, 3), 3);
    std::vector<std::uint8_t> packet;
    ASSERT_EQ(peer.Receive(packet), 65);
    EXPECT_EQ(packet[0], 0);
    EXPECT_EQ(packet[1], 7);
    EXPECT_EQ(packet[64], 0);
    peer.Hangup();
    EXPECT_TRUE(WaitUntil([&] { return hid.DeviceGone(); })) << "the read side ended";
    std::lock_guard<std::mutex> g(lock);
    EXPECT_EQ(seen.size(), 1u);
}

TEST_F(LinkFixture, SocketPathOver107BytesIsSkipped) {
    const fs::path deep = Dir / std::string(100, 'd');
    fs::create_directories(deep);
    { std::ofstream((deep / "f1a0-0506-kzd.sock").string()) << ""; }
    TLinkBackend backend(deep.string());
    const auto found = backend.Enumerate(0xF1A0, 0x0506);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_GT(found[0].Path.size(), TLinkBackend::KMaxSocketPath);
    EXPECT_EQ(backend.Open(found[0].Path), nullptr);
}

TEST_F(LinkFixture, DeviceWithoutListenerIsNotOpenable) {
    { std::ofstream((Dir / "f1a0-0506-stale.sock").string()) << ""; }
    auto backend = std::make_shared<TLinkBackend>(Dir.string());
    THID hid(backend);
    EXPECT_FALSE(hid.Open(0xF1A0, 0x0506));
}

// A vendor-defined 64-byte input and output report without report ids, as
// the family's devices declare them.
const std::vector<std::uint8_t> KFamilyDescriptor = {
    0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08,
    0x95, 0x40, 0x09, 0x01, 0x81, 0x02, 0x95, 0x40, 0x09, 0x01, 0x91, 0x02, 0xC0};

TEST(ReportDescriptor, FamilyDescriptorGives65ByteUnnumberedReports) {
    TReportLengths lengths;
    ASSERT_TRUE(ParseReportDescriptor(KFamilyDescriptor.data(), KFamilyDescriptor.size(), lengths));
    EXPECT_EQ(lengths.Input, 65);
    EXPECT_EQ(lengths.Output, 65);
    EXPECT_FALSE(lengths.Numbered);
}

TEST(ReportDescriptor, NumberedReportsTakeTheLongestAndTruncationFails) {
    const std::vector<std::uint8_t> numbered = {
        0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x75, 0x08, 0x85, 0x01, 0x95, 0x13, 0x81, 0x02,
        0x85, 0x02, 0x95, 0x02, 0x91, 0x02, 0x95, 0x05, 0x91, 0x02, 0xC0};
    TReportLengths lengths;
    ASSERT_TRUE(ParseReportDescriptor(numbered.data(), numbered.size(), lengths));
    EXPECT_TRUE(lengths.Numbered);
    EXPECT_EQ(lengths.Input, 20);
    EXPECT_EQ(lengths.Output, 8);
    EXPECT_FALSE(ParseReportDescriptor(KFamilyDescriptor.data(), 10, lengths)) << "item cut off";
}

TEST(DeviceSource, OptionAndEnvironmentChooseTheBackend) {
    ::setenv("KZD_LINK_DIR", "/tmp/envlink", 1);
    EXPECT_EQ(TDeviceSource::FromOption(std::nullopt)->LinkDir, "/tmp/envlink");
    EXPECT_EQ(TDeviceSource::FromOption(std::string("link:/x/y"))->LinkDir, "/x/y");
    EXPECT_FALSE(TDeviceSource::FromOption(std::string("usb"))->IsLink());
    EXPECT_FALSE(TDeviceSource::FromOption(std::string("link:")).has_value());
    EXPECT_FALSE(TDeviceSource::FromOption(std::string("serial")).has_value());
    ::unsetenv("KZD_LINK_DIR");
    EXPECT_FALSE(TDeviceSource::FromOption(std::nullopt)->IsLink());
    EXPECT_EQ(MakeHIDBackend(*TDeviceSource::FromOption(std::string("link:/x")))->Name(), "link:/x");
}

TEST(DeviceSource, VendorIdOverrideIsHexadecimal) {
    EXPECT_EQ(ParseHexId("0x1234"), 0x1234);
    EXPECT_EQ(ParseHexId("f1a1"), 0xF1A1);
    EXPECT_FALSE(ParseHexId("12345").has_value());
    EXPECT_FALSE(ParseHexId("0x").has_value());
    EXPECT_FALSE(ParseHexId("zz").has_value());
    ::setenv("KZD_VENDOR_ID", "0xBEEF", 1);
    EXPECT_EQ(FamilyVendorId(), 0xBEEF);
    ::setenv("KZD_VENDOR_ID", "nonsense", 1);
    EXPECT_EQ(FamilyVendorId(), 0xF1A0);
    ::unsetenv("KZD_VENDOR_ID");
    EXPECT_EQ(FamilyVendorId(), 0xF1A0);
}

}  // namespace
