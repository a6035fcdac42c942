#pragma once
#include <cstdint>
#include <string>

#include "Locklist.h"

// An entry of the configuration catalogue: a command, an operator, a
// structure or a field, named and numbered. Read-only after construction.
class TQKSItem {
public:
    TQKSItem(std::string name, std::int32_t id) : FId(id), FName(std::move(name)) {}
    virtual ~TQKSItem() = default;

    std::int32_t Id() const { return FId; }
    const std::string& Name() const { return FName; }

private:
    std::int32_t FId;
    std::string FName;
};

// The value types of configuration fields (little-endian inside a structure).
enum : std::uint8_t {
    KValueU8 = 0,
    KValueS8 = 1,
    KValueU16 = 2,
    KValueS16 = 3,
    KValueU32 = 4,
    KValueS32 = 5,
};

// The width in bytes of a value type (1, 2 or 4), 0 for an unknown type.
int ValueTypeWidth(std::uint8_t valueType);
// Whether a value type is signed.
bool ValueTypeSigned(std::uint8_t valueType);
// "u8", "s8", "u16", "s16", "u32", "s32", or "?" for an unknown type.
const char* ValueTypeName(std::uint8_t valueType);

// A field of a configuration structure: its byte offset and value type.
class TQKSCfgItem : public TQKSItem {
public:
    TQKSCfgItem(std::string name, std::int32_t id, std::int32_t offset, std::uint8_t valueType)
        : TQKSItem(std::move(name), id), FOffset(offset), FValueType(valueType) {}

    std::int32_t Offset() const { return FOffset; }
    std::uint8_t ValueType() const { return FValueType; }
    int Width() const { return ValueTypeWidth(FValueType); }

private:
    std::int32_t FOffset;
    std::uint8_t FValueType;
};

// An owning locked list of catalogue entries; Add appends an entry not
// already present (the TLockList rule).
template <typename T>
class TQKSItemListOf : public TOwningLockList<T> {
public:
    // The first entry with this id in list order, or nullptr.
    const T* FindById(std::int32_t id) const {
        std::lock_guard<std::recursive_mutex> guard(this->Mutex());
        for (int i = 0; i < this->Count(); ++i)
            if (this->Get(i)->Id() == id)
                return this->Get(i);
        return nullptr;
    }
};

using TQKSItemList = TQKSItemListOf<TQKSItem>;
using TQKSCfgItemList = TQKSItemListOf<TQKSCfgItem>;
