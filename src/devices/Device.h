#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

#include "Basedriver.h"
#include "Deviceid.h"
#include "Hidbackend.h"
#include "Locklist.h"

class TUSB;

// The record of one device seen since the device manager started: its
// identity, its transport (a TUSB for a device attached by USB) and its
// driver. Records are never destroyed before the device manager, so a driver
// taken from a record stays valid after the list's lock is released.
class TDevice {
public:
    // parent: the record of the controller whose CAN bus carries this device
    // (CAN devices), or nullptr. A USB record creates its TUSB on backend.
    TDevice(const TDevice* parent, std::int32_t number, std::uint8_t connection, std::uint8_t kind,
            const std::shared_ptr<THIDBackend>& backend);
    ~TDevice();
    TDevice(const TDevice&) = delete;
    TDevice& operator=(const TDevice&) = delete;

    const TDeviceID& Id() const { return *FId; }
    const std::shared_ptr<const TDeviceID>& IdRef() const { return FId; }
    // Kind 4, USB, product id 0x0503 for kinds 1, 2, 3, 5 and 6; none otherwise.
    const std::optional<TDeviceID>& BootloaderId() const { return FBootloaderId; }
    bool IsConnected() const { return FConnected.load(); }
    void SetConnected(bool connected) { FConnected = connected; }
    bool Pending() const { return FPending.load(); }
    void SetPending(bool pending) { FPending = pending; }
    int MissedScans() const { return FMissedScans.load(); }
    void SetMissedScans(int count) { FMissedScans = count; }
    TUSB* Usb() const { return FUSB.get(); }
    TBaseDriver* Driver() const { return FDriver.get(); }

private:
    std::shared_ptr<const TDeviceID> FId;
    std::optional<TDeviceID> FBootloaderId;
    std::atomic<bool> FConnected{false};
    std::atomic<bool> FPending{false};
    std::atomic<int> FMissedScans{0};
    std::unique_ptr<TUSB> FUSB;
    std::unique_ptr<TBaseDriver> FDriver;
};

// Every device record, owned, guarded by a re-entrant mutex.
class TDeviceList : public TOwningLockList<TDevice> {
public:
    // Appends the record unless it is already listed; returns its index.
    int AddUnique(TDevice* device) { return Add(device); }
    // The first record whose identity is Identical to id, or nullptr.
    TDevice* FindIdentical(const TDeviceID& id) const;
    // Among the records that are the SameDevice as id: the first connected USB
    // record, else the last connected CAN record, else nullptr.
    TDevice* FindConnected(const TDeviceID& id) const;
};
