#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "Locklist.h"

// Device kinds of the family.
enum : std::uint8_t {
    KDevKindQC7 = 1,
    KDevKindQC7SFM = 2,
    KDevKindQC7Ignition = 3,
    KDevKindQC7Bootloader = 4,
    KDevKindQC7Tester = 5,
    KDevKindKZD = 6,
    KDevKindKZR = 7,
    KDevKindLBX = 8,
    KDevKindDualLBX = 9,
    KDevKindMiniDisplay = 10,
};

// How a device is reached.
enum : std::uint8_t { KConnUSB = 2, KConnCAN = 3 };

// The USB product id of the boot loader that replaces a controller during a
// firmware update.
constexpr std::int32_t KBootloaderProductId = 0x0503;

// The name text of a kind ("KZD ", "QC7 SFM ", ...; "??? " for unknown kinds).
std::string DeviceKindName(std::uint8_t kind);
// The USB product id of a kind, or none.
std::optional<std::uint16_t> DeviceKindProductId(std::uint8_t kind);
// The kind with this USB product id, or none.
std::optional<std::uint8_t> DeviceKindOfProductId(std::uint16_t productId);
// The CAN node type (bits 20..28 of an identifier) of a kind, or none.
std::optional<std::uint16_t> DeviceKindCanNodeType(std::uint8_t kind);
// The kind with this CAN node type, or none.
std::optional<std::uint8_t> DeviceKindOfCanNodeType(std::uint16_t nodeType);
// Whether a device of this kind has a boot loader identity (kinds 1, 2, 3, 5, 6).
bool DeviceKindHasBootloader(std::uint8_t kind);

// The identity of a device: kind, connection, number (USB product id or CAN
// node instance) and, for a CAN node, the identity of the controller whose
// bus carries it. Copies share the parent.
class TDeviceID {
public:
    TDeviceID(std::shared_ptr<const TDeviceID> parent, std::int32_t number, std::uint8_t connection, std::uint8_t kind)
        : FParent(std::move(parent)), FNumber(number), FConnection(connection), FKind(kind) {}

    std::uint8_t Kind() const { return FKind; }
    std::uint8_t Connection() const { return FConnection; }
    std::int32_t Number() const { return FNumber; }
    const TDeviceID* Parent() const { return FParent.get(); }
    const std::shared_ptr<const TDeviceID>& ParentRef() const { return FParent; }
    std::string Name() const { return DeviceKindName(FKind); }

    // Kinds equal and either one is a USB identity, or two CAN identities
    // with equal numbers. False when other is none.
    bool SameDevice(const TDeviceID* other) const;
    // Kinds, connections and numbers equal, and both parents none or both
    // present and the same device.
    bool Identical(const TDeviceID* other) const;

    // "KIND:CONN:NUMBER", the form of kzdctl's --id option.
    std::string Text() const;

private:
    std::shared_ptr<const TDeviceID> FParent;
    std::int32_t FNumber;
    std::uint8_t FConnection;
    std::uint8_t FKind;
};

// A guarded list of owned identities, as the device manager publishes them.
class TDeviceIDList : public TOwningLockList<TDeviceID> {
public:
    TDeviceIDList() = default;
    // A deep copy of other, taken under its lock.
    explicit TDeviceIDList(const TDeviceIDList& other);
    // The first entry Identical to id, or nullptr.
    TDeviceID* Find(const TDeviceID& id) const;
    // Sorts by Name, compared case-insensitively (stable for equal names).
    void SortByName();
};
