#pragma once
#include "Simframing.h"

#include <cstdint>
#include <string>

// The report link as the serving side sees it: one SOCK_SEQPACKET socket
// file per attached device, named VVVV-PPPP-NAME.sock, exactly 65-byte
// packets, one connection at a time.

constexpr std::size_t SimMaxSocketPath = 107;

// "f1a0-0506-NAME.sock".
std::string SimSocketFileName(std::uint16_t vendorId, std::uint16_t productId, const std::string& name);
// NAME: one or more letters, digits, '_' and '-'.
bool SimValidUnitName(const std::string& name);
// The family vendor id, or the value of KZD_VENDOR_ID (hexadecimal, with or
// without 0x) when it is set and valid.
std::uint16_t SimFamilyVendorId();

// A listening socket file. Open refuses a path over 107 bytes and a path on
// which another server answers; a stale socket file left by a dead server is
// replaced. Close closes the socket and removes the file.
class TSimListener {
public:
    TSimListener() = default;
    ~TSimListener() { Close(); }
    TSimListener(const TSimListener&) = delete;
    TSimListener& operator=(const TSimListener&) = delete;

    bool Open(const std::string& path, std::string* error);
    void Close();
    int Fd() const { return FFd; }
    const std::string& Path() const { return FPath; }
    // A new connection (-1 when none is pending).
    int Accept();

private:
    int FFd = -1;
    std::string FPath;
};

enum class TSimRecv { Report, BadPacket, WouldBlock, Closed };
enum class TSimSend { Sent, WouldBlock, Closed };

// Reads one packet of a connection without blocking; packets of a length
// other than 65, or with a report id other than 0, come back as BadPacket.
TSimRecv SimReceive(int fd, TSimReport& report);
TSimSend SimSendReport(int fd, const TSimReport& report);
void SimCloseFd(int& fd);
