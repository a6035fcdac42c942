#include "Simlink.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "Simprotocol.h"

std::string SimSocketFileName(std::uint16_t vendorId, std::uint16_t productId, const std::string& name) {
    char ids[16];
    std::snprintf(ids, sizeof ids, "%04x-%04x-", vendorId, productId);
    return ids + name + ".sock";
}

bool SimValidUnitName(const std::string& name) {
    if (name.empty()) return false;
    for (char c : name) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
        if (!ok) return false;
    }
    return true;
}

std::uint16_t SimFamilyVendorId() {
    const char* text = std::getenv("KZD_VENDOR_ID");
    if (!text || !*text) return SimProtocol::FamilyVendorId;
    char* end = nullptr;
    errno = 0;
    const unsigned long v = std::strtoul(text, &end, 16);
    if (errno || *end || v > 0xFFFF) return SimProtocol::FamilyVendorId;
    return std::uint16_t(v);
}

namespace {

bool MakeAddress(const std::string& path, sockaddr_un& address) {
    if (path.size() > SimMaxSocketPath || path.size() >= sizeof address.sun_path) return false;
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size());
    return true;
}

// True when a server answers on the socket file.
bool SomeoneServes(const sockaddr_un& address) {
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool answered = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return answered;
}

bool Fail(std::string* error, const std::string& why) {
    if (error) *error = why;
    return false;
}

} // namespace

bool TSimListener::Open(const std::string& path, std::string* error) {
    Close();
    sockaddr_un address;
    if (!MakeAddress(path, address))
        return Fail(error, "socket path '" + path + "' is longer than " + std::to_string(SimMaxSocketPath) + " bytes");
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0) {
        if (!S_ISSOCK(st.st_mode)) return Fail(error, "'" + path + "' exists and is not a socket");
        if (SomeoneServes(address)) return Fail(error, "another server already serves '" + path + "'");
        ::unlink(path.c_str());
    }
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return Fail(error, std::string("socket: ") + std::strerror(errno));
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 4) != 0) {
        const std::string why = std::strerror(errno);
        ::close(fd);
        return Fail(error, "cannot serve '" + path + "': " + why);
    }
    FFd = fd;
    FPath = path;
    return true;
}

void TSimListener::Close() {
    if (FFd < 0) return;
    ::close(FFd);
    ::unlink(FPath.c_str());
    FFd = -1;
    FPath.clear();
}

int TSimListener::Accept() {
    if (FFd < 0) return -1;
    return ::accept4(FFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
}

TSimRecv SimReceive(int fd, TSimReport& report) {
    std::uint8_t buffer[128];
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT | MSG_TRUNC);
    if (n == 0) {
        // an empty packet and the end of the connection both read as 0 bytes
        pollfd p{fd, POLLRDHUP, 0};
        const bool hungUp = ::poll(&p, 1, 0) > 0 && (p.revents & (POLLRDHUP | POLLHUP));
        return hungUp ? TSimRecv::Closed : TSimRecv::BadPacket;
    }
    if (n < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return TSimRecv::WouldBlock;
        return TSimRecv::Closed;
    }
    if (n != SimProtocol::ReportSize || buffer[0] != 0) return TSimRecv::BadPacket;
    std::memcpy(report.data(), buffer, report.size());
    return TSimRecv::Report;
}

TSimSend SimSendReport(int fd, const TSimReport& report) {
    const ssize_t n = ::send(fd, report.data(), report.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    if (n == ssize_t(report.size())) return TSimSend::Sent;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return TSimSend::WouldBlock;
    return TSimSend::Closed;
}

void SimCloseFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}
