#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The seam below THID: where HID devices come from. Two backends implement
// it, real USB devices through hidapi (hidraw) and linked devices on a report
// link directory (Unix SOCK_SEQPACKET sockets carrying 65-byte reports).
// Everything above THID runs unchanged on either.

// One present HID device interface.
struct THIDDeviceInfo {
    std::string Path;  // the device path (a linked device: its socket file)
    std::uint16_t VendorId = 0;
    std::uint16_t ProductId = 0;
};

// An open device. Report lengths include the report id byte. Read and Write
// may run on two threads at once (the read thread and a sender); destruction
// closes the device and must not overlap either.
class THIDConnection {
public:
    virtual ~THIDConnection() = default;
    virtual int InputReportLength() const = 0;
    virtual int OutputReportLength() const = 0;
    // Waits at most timeoutMs for one input report and stores it with the
    // report id in byte 0 (at most size bytes). Returns the length stored,
    // 0 when none arrived in time (or a malformed one was dropped), -1 when
    // the device is gone or failed.
    virtual int Read(std::uint8_t* buffer, int size, int timeoutMs) = 0;
    // Writes one whole output report (report id in byte 0) within timeoutMs.
    // Returns length on success, -1 on failure or time-out.
    virtual int Write(const std::uint8_t* report, int length, int timeoutMs) = 0;
};

class THIDBackend {
public:
    virtual ~THIDBackend() = default;
    // Every present device whose ids match (0 = any), in enumeration order.
    // Paths are whole, with no length cap. Any thread may call.
    virtual std::vector<THIDDeviceInfo> Enumerate(std::uint16_t vendorId, std::uint16_t productId) = 0;
    // Opens a device for reading and writing; nullptr when it cannot be opened.
    // Everything created on a failing open is released before returning.
    virtual std::unique_ptr<THIDConnection> Open(const std::string& path) = 0;
    // Short name for messages: "usb" or "link:DIR".
    virtual std::string Name() const = 0;
};

// Where the device stack finds its devices: real USB devices, or the linked
// devices of a report link directory.
struct TDeviceSource {
    std::string LinkDir;  // empty: real USB devices through hidapi
    bool IsLink() const { return !LinkDir.empty(); }

    // The source named by a --device option: "usb", "link:DIR". Without an
    // option, KZD_LINK_DIR selects link:DIR when set, otherwise usb. Returns
    // nothing for any other text (the caller reports the usage error).
    static std::optional<TDeviceSource> FromOption(const std::optional<std::string>& option);
};

// The family vendor id 0xF1A0, or the hexadecimal value of KZD_VENDOR_ID
// ("1234" or "0x1234") when that is set and valid.
std::uint16_t FamilyVendorId();
// Parses a 16-bit hexadecimal id with or without 0x; nothing when invalid.
std::optional<std::uint16_t> ParseHexId(const std::string& text);

// The backend for a source (hidapi for usb, the report link for link:DIR).
std::shared_ptr<THIDBackend> MakeHIDBackend(const TDeviceSource& source);
