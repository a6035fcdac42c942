#include "Deviceid.h"

#include <algorithm>
#include <cctype>

namespace {

struct TKindRow {
    std::uint8_t Kind;
    const char* Name;
    int ProductId;    // -1: none
    int CanNodeType;  // -1: none
};

const TKindRow kKinds[] = {
    {KDevKindQC7, "QC7 ", 0x0502, 0xC0},
    {KDevKindQC7SFM, "QC7 SFM ", 0x0504, 0xC2},
    {KDevKindQC7Ignition, "QC7 Ignition ", 0x0505, 0xC3},
    {KDevKindQC7Bootloader, "QC7 Bootloader", 0x0503, -1},
    {KDevKindQC7Tester, "QC7 Tester ", 0x050F, -1},
    {KDevKindKZD, "KZD ", 0x0506, -1},
    {KDevKindKZR, "KZR ", -1, -1},
    {KDevKindLBX, "LBX ", -1, 0xD0},
    {KDevKindDualLBX, "Dual LBX ", -1, 0xD2},
    {KDevKindMiniDisplay, "Mini Display", -1, 0xF6},
};

const TKindRow* RowOf(std::uint8_t kind) {
    for (const auto& row : kKinds)
        if (row.Kind == kind)
            return &row;
    return nullptr;
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

}  // namespace

std::string DeviceKindName(std::uint8_t kind) {
    const TKindRow* row = RowOf(kind);
    return row ? row->Name : "??? ";
}

std::optional<std::uint16_t> DeviceKindProductId(std::uint8_t kind) {
    const TKindRow* row = RowOf(kind);
    if (!row || row->ProductId < 0)
        return std::nullopt;
    return static_cast<std::uint16_t>(row->ProductId);
}

std::optional<std::uint8_t> DeviceKindOfProductId(std::uint16_t productId) {
    for (const auto& row : kKinds)
        if (row.ProductId == productId)
            return row.Kind;
    return std::nullopt;
}

std::optional<std::uint16_t> DeviceKindCanNodeType(std::uint8_t kind) {
    const TKindRow* row = RowOf(kind);
    if (!row || row->CanNodeType < 0)
        return std::nullopt;
    return static_cast<std::uint16_t>(row->CanNodeType);
}

std::optional<std::uint8_t> DeviceKindOfCanNodeType(std::uint16_t nodeType) {
    for (const auto& row : kKinds)
        if (row.CanNodeType == nodeType)
            return row.Kind;
    return std::nullopt;
}

bool DeviceKindHasBootloader(std::uint8_t kind) {
    return kind == KDevKindQC7 || kind == KDevKindQC7SFM || kind == KDevKindQC7Ignition ||
           kind == KDevKindQC7Tester || kind == KDevKindKZD;
}

bool TDeviceID::SameDevice(const TDeviceID* other) const {
    if (!other || other->FKind != FKind)
        return false;
    if (FConnection == KConnUSB || other->FConnection == KConnUSB)
        return true;
    return FNumber == other->FNumber;
}

bool TDeviceID::Identical(const TDeviceID* other) const {
    if (!other || other->FKind != FKind || other->FConnection != FConnection || other->FNumber != FNumber)
        return false;
    if (!FParent || !other->FParent)
        return !FParent && !other->FParent;
    return FParent->SameDevice(other->FParent.get());
}

std::string TDeviceID::Text() const {
    return std::to_string(FKind) + ":" + std::to_string(FConnection) + ":" + std::to_string(FNumber);
}

TDeviceIDList::TDeviceIDList(const TDeviceIDList& other) {
    std::lock_guard<std::recursive_mutex> guard(other.Mutex());
    for (const TDeviceID* id : other.Snapshot())
        Append(new TDeviceID(*id));
}

TDeviceID* TDeviceIDList::Find(const TDeviceID& id) const {
    std::lock_guard<std::recursive_mutex> guard(Mutex());
    for (TDeviceID* entry : Snapshot())
        if (id.Identical(entry))
            return entry;
    return nullptr;
}

void TDeviceIDList::SortByName() {
    Sort([](const TDeviceID* a, const TDeviceID* b) { return Lower(a->Name()) < Lower(b->Name()); });
}
