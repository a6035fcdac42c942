#pragma once
#include "Hidbackend.h"

// Real USB HID devices through hidapi (hidraw on Linux). Report lengths come
// from the device's report descriptor (sysfs); when it cannot be read, the
// family's 65-byte reports are assumed. Input reports of devices without
// report ids arrive without that byte and get a 0 put back in front.
class THidapiBackend : public THIDBackend {
public:
    THidapiBackend();
    std::vector<THIDDeviceInfo> Enumerate(std::uint16_t vendorId, std::uint16_t productId) override;
    std::unique_ptr<THIDConnection> Open(const std::string& path) override;
    std::string Name() const override { return "usb"; }
};

// The report lengths of a hidraw device path ("/dev/hidrawN") from its report
// descriptor; 65/65 unnumbered when the descriptor is not available.
struct TReportLengths;
TReportLengths HidrawReportLengths(const std::string& path);
