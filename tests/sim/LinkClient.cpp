#include "LinkClient.h"

#include <chrono>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

TLinkClient::~TLinkClient() { Close(); }

bool TLinkClient::Connect(const std::string& path) {
    Close();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size());
    FFd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (FFd < 0) return false;
    if (::connect(FFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        Close();
        return false;
    }
    return true;
}

void TLinkClient::Close() {
    if (FFd >= 0) ::close(FFd);
    FFd = -1;
}

bool TLinkClient::SendPacket(const std::uint8_t* bytes, std::size_t size) {
    return FFd >= 0 && ::send(FFd, bytes, size, MSG_NOSIGNAL) == ssize_t(size);
}

bool TLinkClient::SendRequest(std::uint16_t command, const std::vector<std::uint8_t>& data, std::uint32_t tag) {
    std::vector<std::uint8_t> stream = {std::uint8_t(command), std::uint8_t(command >> 8),
                                        std::uint8_t(data.size() + 4), std::uint8_t((data.size() + 4) >> 8)};
    stream.insert(stream.end(), data.begin(), data.end());
    for (std::size_t at = 0; at < stream.size(); at += 60) {
        TReport r{};
        for (int i = 0; i < 4; ++i) r[1 + i] = std::uint8_t(tag >> (8 * i));
        const std::size_t n = std::min<std::size_t>(60, stream.size() - at);
        std::memcpy(&r[5], &stream[at], n);
        if (!SendReport(r)) return false;
    }
    return true;
}

std::optional<std::vector<std::uint8_t>> TLinkClient::ReceivePacket(int timeoutMs) {
    if (FFd < 0) return std::vector<std::uint8_t>{};
    pollfd p{FFd, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0) return std::nullopt;
    std::uint8_t buffer[256];
    const ssize_t n = ::recv(FFd, buffer, sizeof buffer, 0);
    if (n <= 0) return std::vector<std::uint8_t>{};
    return std::vector<std::uint8_t>(buffer, buffer + n);
}

std::optional<TReply> TLinkClient::ReceiveReply(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    TReply reply;
    std::size_t expected = 0;
    while (true) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        auto packet = ReceivePacket(int(std::max<long long>(0, left.count())));
        if (!packet || packet->size() != 65) return std::nullopt;
        TReport r;
        std::memcpy(r.data(), packet->data(), 65);
        if (reply.Reports.empty()) {
            reply.Command = std::uint16_t(r[5] | r[6] << 8);
            reply.TotalLength = std::uint16_t(r[7] | r[8] << 8);
            expected = reply.TotalLength >= 4 ? reply.TotalLength - 4u : 0u;
            reply.Data.assign(&r[9], &r[9] + std::min<std::size_t>(expected, 56));
        } else {
            if (ReportTag(r) != ReportTag(reply.Reports[0])) return std::nullopt;
            reply.Data.insert(reply.Data.end(), &r[5], &r[5] + std::min<std::size_t>(expected - reply.Data.size(), 60));
        }
        reply.Reports.push_back(r);
        if (reply.Data.size() >= expected) return reply;
    }
}

std::optional<TReply> TLinkClient::Call(std::uint16_t command, const std::vector<std::uint8_t>& data, int timeoutMs) {
    if (!SendRequest(command, data)) return std::nullopt;
    return ReceiveReply(timeoutMs);
}

bool TLinkClient::WaitClosed(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        auto packet = ReceivePacket(50);
        if (packet && packet->empty()) return true;
    }
    return false;
}

std::vector<std::uint8_t> MemoryRequest(std::uint32_t address, std::uint16_t length,
                                        const std::vector<std::uint8_t>& payload) {
    std::vector<std::uint8_t> d = {std::uint8_t(address), std::uint8_t(address >> 8), std::uint8_t(address >> 16),
                                   std::uint8_t(address >> 24), std::uint8_t(length), std::uint8_t(length >> 8)};
    d.insert(d.end(), payload.begin(), payload.end());
    return d;
}

std::uint32_t Word(const std::vector<std::uint8_t>& b, std::size_t o) {
    return std::uint32_t(b.at(o)) | std::uint32_t(b.at(o + 1)) << 8 | std::uint32_t(b.at(o + 2)) << 16 |
           std::uint32_t(b.at(o + 3)) << 24;
}

std::uint32_t ReportTag(const TReport& r) { return std::uint32_t(r[1]) | r[2] << 8 | r[3] << 16 | std::uint32_t(r[4]) << 24; }
