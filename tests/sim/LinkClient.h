#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The host side of the report link, kept minimal and written apart from the
// program's own transport: raw 65-byte packets and a small framer.

using TReport = std::array<std::uint8_t, 65>;

struct TReply {
    std::uint16_t Command = 0;
    std::uint16_t TotalLength = 0;
    std::vector<std::uint8_t> Data;
    std::vector<TReport> Reports;
};

class TLinkClient {
public:
    TLinkClient() = default;
    explicit TLinkClient(const std::string& path) { Connect(path); }
    ~TLinkClient();
    TLinkClient(const TLinkClient&) = delete;
    TLinkClient& operator=(const TLinkClient&) = delete;

    bool Connect(const std::string& path);
    void Close();
    bool Connected() const { return FFd >= 0; }

    bool SendPacket(const std::uint8_t* bytes, std::size_t size);
    bool SendReport(const TReport& report) { return SendPacket(report.data(), report.size()); }
    // Cuts a request into reports with the given tag and sends them.
    bool SendRequest(std::uint16_t command, const std::vector<std::uint8_t>& data, std::uint32_t tag = 0x11223344);
    // One packet within timeoutMs; nullopt on time-out; an empty vector at the end of the connection.
    std::optional<std::vector<std::uint8_t>> ReceivePacket(int timeoutMs);
    // Reassembles the next message (reports of one tag) within timeoutMs.
    std::optional<TReply> ReceiveReply(int timeoutMs = 2000);
    // Request and reply in one go.
    std::optional<TReply> Call(std::uint16_t command, const std::vector<std::uint8_t>& data = {}, int timeoutMs = 2000);
    // True when the device side closed the connection within timeoutMs.
    bool WaitClosed(int timeoutMs);

private:
    int FFd = -1;
};

std::vector<std::uint8_t> MemoryRequest(std::uint32_t address, std::uint16_t length,
                                        const std::vector<std::uint8_t>& payload = {});
std::uint32_t Word(const std::vector<std::uint8_t>& bytes, std::size_t offset);
std::uint32_t ReportTag(const TReport& report);
