#pragma once

// Root of every device driver, so that a device record can own any driver
// and destroy it through this class.
//
// Status convention of every driver operation (signed 32-bit):
//   0    success; output buffers are filled
//   -1   not supported by this driver, the request could not be sent, no
//        reply within the time limit, or an address read from the device's
//        own tables lies outside the range permitted for it
//   -2   the device refused (nonzero status byte) or answered with a reply
//        of an unexpected length
//   -3, -4, -254   CAN drivers only (see the CAN message layer)
// Callers test for 0 only; output buffers are undefined after a failure.
class TBaseDriver {
public:
    virtual ~TBaseDriver() = default;
};

constexpr int KStatusOK = 0;
constexpr int KStatusNoReply = -1;  // also: not supported, not sent, out of range
constexpr int KStatusRefused = -2;  // also: unexpected reply length
