#pragma once
#include <mutex>
#include <set>

#include "Hidbackend.h"

// Linked devices: one SOCK_SEQPACKET socket file per device in a link
// directory, named VVVV-PPPP-NAME.sock (lower-case hex ids), every packet one
// 65-byte report with the report id in byte 0. Enumeration lists the matching
// files without connecting; opening connects; closing closes the connection.
class TLinkBackend : public THIDBackend {
public:
    static constexpr int KReportLength = 65;
    // Longest socket path a Unix socket address holds.
    static constexpr std::size_t KMaxSocketPath = 107;

    explicit TLinkBackend(std::string linkDir);
    std::vector<THIDDeviceInfo> Enumerate(std::uint16_t vendorId, std::uint16_t productId) override;
    std::unique_ptr<THIDConnection> Open(const std::string& path) override;
    std::string Name() const override { return "link:" + FLinkDir; }
    const std::string& LinkDir() const { return FLinkDir; }

    // The ids of a socket file name (no directory); false when it does not
    // follow the naming pattern.
    static bool ParseSocketName(const std::string& fileName, std::uint16_t& vendorId, std::uint16_t& productId);

private:
    void ReportTooLong(const std::string& path);

    std::string FLinkDir;
    std::mutex FReportedLock;
    std::set<std::string> FReported;  // over-long paths already reported
};
