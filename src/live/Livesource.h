#pragma once
#include <cstdint>
#include <functional>

#include "Deviceid.h"
#include "Qc7.h"

// What the live data needs from the device side, and nothing more: the
// driver lookups of the device manager and its published identity lists with
// their change notification. The device manager is seen through TLiveSource;
// an adapter over the device manager implements it for the program, fakes
// implement it in tests. Controllers are reached through their TQC7 driver
// (ReadChannels from the polling thread, ReadSystem from the UI thread).

// The wide-band module operations used by live data (kinds 8 and 9); the
// module drivers implement it.
class TLiveWidebandDriver {
public:
    virtual ~TLiveWidebandDriver() = default;
    // Waits at most timeoutMs for the module's next 8-byte data frame.
    // -1 when none arrived in time, -2 for a frame of another length.
    virtual int ReadData(std::uint8_t* frame, int timeoutMs) = 0;
    // The 8-byte setup block (byte 6: engine speed pulse divisor).
    virtual int ReadSetup(std::uint8_t* buffer) = 0;
    // The throttle scaling: two 4-byte words, bytes 0..3 and 4..7.
    virtual int ReadThrottleScaling(std::uint8_t* buffer) = 0;
};

// How a driver is looked up: the connected device that is the same device
// (DriverOf), or only one with the identical identity (DriverOfIdentical).
enum class TDriverLookup { SameDevice, Identical };

class TLiveSource {
public:
    using THandler = std::function<void()>;

    virtual ~TLiveSource() = default;
    // The driver serving a connected device, or nullptr. A driver returned
    // stays valid as long as the source (device records are never removed).
    // Any thread may call.
    virtual TQC7* ControllerDriver(const TDeviceID& id, TDriverLookup lookup) = 0;
    virtual TLiveWidebandDriver* WidebandDriver(const TDeviceID& id, TDriverLookup lookup) = 0;
    // Change notification: handler runs on the UI thread after the set of
    // connected devices changed. Subscribe returns a token for Unsubscribe.
    virtual int Subscribe(THandler handler) = 0;
    virtual void Unsubscribe(int token) = 0;
    // The published lists (every connected identity / one per SameDevice
    // group); readers lock them while they iterate.
    virtual const TDeviceIDList& ConnectedIds() const = 0;
    virtual const TDeviceIDList& ConnectedKinds() const = 0;
};
