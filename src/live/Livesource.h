#pragma once
#include <cstdint>
#include <functional>

#include "Deviceid.h"

// What the live data needs from the device side, and nothing more: the few
// driver operations it calls, the driver lookups of the device manager, and
// the published identity lists with their change notification. The device
// manager is seen through TLiveSource; an adapter over the device manager
// implements it for the program, fakes implement it in tests.

// The controller operations used by live data (kinds 1, 2, 3 and 6).
// Statuses: 0 success (buffers filled), any other value failure (buffers
// undefined). Called from a channel device's polling thread (ReadChannels)
// and from the UI thread (ReadSystem) at the same time.
class TLiveControllerDriver {
public:
    virtual ~TLiveControllerDriver() = default;
    // One value per requested identifier, back to back in request order,
    // each 1, 2 or 4 bytes wide by its type; replyLength bytes in all.
    // -2 when the device's reply length differs. Bounded by the driver's
    // channel request time limit (200 ms).
    virtual int ReadChannels(int count, const std::uint8_t* channelIds, int replyLength, std::uint8_t* reply) = 0;
    // The 23-byte System configuration structure.
    virtual int ReadSystem(std::uint8_t* buffer) = 0;
};

// The wide-band module operations used by live data (kinds 8 and 9).
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
    virtual TLiveControllerDriver* ControllerDriver(const TDeviceID& id, TDriverLookup lookup) = 0;
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
