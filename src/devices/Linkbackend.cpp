#include "Linkbackend.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>

namespace {

class TLinkConnection : public THIDConnection {
public:
    explicit TLinkConnection(int fd) : FFd(fd) {}
    ~TLinkConnection() override { ::close(FFd); }
    int InputReportLength() const override { return TLinkBackend::KReportLength; }
    int OutputReportLength() const override { return TLinkBackend::KReportLength; }

    int Read(std::uint8_t* buffer, int size, int timeoutMs) override {
        pollfd p{FFd, POLLIN, 0};
        const int ready = ::poll(&p, 1, timeoutMs);
        if (ready < 0)
            return errno == EINTR ? 0 : -1;
        if (ready == 0)
            return 0;
        std::uint8_t packet[TLinkBackend::KReportLength + 1];
        const ssize_t n = ::recv(FFd, packet, sizeof packet, MSG_DONTWAIT);
        if (n == 0)
            return -1;  // the device side closed the connection
        if (n < 0)
            return errno == EAGAIN || errno == EINTR ? 0 : -1;
        if (n != TLinkBackend::KReportLength)
            return 0;  // not one report: a protocol error, dropped
        const int stored = std::min(size, TLinkBackend::KReportLength);
        std::memcpy(buffer, packet, static_cast<std::size_t>(stored));
        return stored;
    }

    int Write(const std::uint8_t* report, int length, int timeoutMs) override {
        if (length != TLinkBackend::KReportLength)
            return -1;
        pollfd p{FFd, POLLOUT, 0};
        if (::poll(&p, 1, timeoutMs) != 1 || !(p.revents & POLLOUT))
            return -1;
        const ssize_t n = ::send(FFd, report, static_cast<std::size_t>(length), MSG_DONTWAIT | MSG_NOSIGNAL);
        return n == length ? length : -1;
    }

private:
    int FFd;
};

bool HexDigits(const std::string& s, std::size_t from, std::uint16_t& value) {
    value = 0;
    for (std::size_t i = from; i < from + 4; ++i) {
        const char c = s[i];
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else
            return false;
        value = static_cast<std::uint16_t>(value * 16 + d);
    }
    return true;
}

// A device that serves another connection closes ours at once: wait briefly
// for that, so that it is reported as not openable.
bool ClosedAtOnce(int fd) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 20) != 1)
        return false;
    std::uint8_t byte;
    return ::recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT) == 0 || (p.revents & (POLLHUP | POLLERR));
}

}  // namespace

TLinkBackend::TLinkBackend(std::string linkDir) : FLinkDir(std::move(linkDir)) {}

bool TLinkBackend::ParseSocketName(const std::string& name, std::uint16_t& vendorId, std::uint16_t& productId) {
    const std::string suffix = ".sock";
    if (name.size() < 11 + suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return false;
    if (name[4] != '-' || name[9] != '-' || !HexDigits(name, 0, vendorId) || !HexDigits(name, 5, productId))
        return false;
    const std::size_t end = name.size() - suffix.size();
    for (std::size_t i = 10; i < end; ++i) {
        const char c = name[i];
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-'))
            return false;
    }
    return end > 10;
}

std::vector<THIDDeviceInfo> TLinkBackend::Enumerate(std::uint16_t vendorId, std::uint16_t productId) {
    std::vector<THIDDeviceInfo> found;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(FLinkDir, ec)) {
        std::uint16_t v, p;
        if (!ParseSocketName(entry.path().filename().string(), v, p))
            continue;
        if ((vendorId == 0 || v == vendorId) && (productId == 0 || p == productId))
            found.push_back({entry.path().string(), v, p});
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.Path < b.Path; });
    return found;
}

void TLinkBackend::ReportTooLong(const std::string& path) {
    std::lock_guard<std::mutex> guard(FReportedLock);
    if (FReported.insert(path).second)
        std::cerr << "kzd: linked device skipped, socket path longer than " << KMaxSocketPath
                  << " bytes: " << path << "\n";
}

std::unique_ptr<THIDConnection> TLinkBackend::Open(const std::string& path) {
    if (path.size() > KMaxSocketPath) {
        ReportTooLong(path);
        return nullptr;
    }
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return nullptr;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.data(), path.size());
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || ClosedAtOnce(fd)) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<TLinkConnection>(fd);
}
