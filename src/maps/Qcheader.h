#pragma once
#include <array>
#include <cstdint>

#include "Locklist.h"
#include "Qcaxis.h"
#include "Qcmapobj.h"
#include "Qctabledata.h"

// One 16-byte table header as controllers and map files keep it:
//   byte 0 bits 0..5 position, bits 6 and 7 set by the map builder;
//   byte 1 table type; byte 2 gear mask (bit i = gear i+1); byte 3 selector;
//   bytes 4..7, 8..11, 12..15: X axis, Y axis and table address, bit 31 set.
// The axis and table references point into the same device map (not owned).
class TQCHeader : public TQCMapObj {
public:
    static constexpr int RecordSize = 16;
    enum : int { XAxisWord = 0, YAxisWord = 1, TableWord = 2 };

    TQCHeader() = default;
    // Copies the record, position and address; the copier re-links references.
    TQCHeader(const TQCHeader& source);
    TQCHeader& operator=(const TQCHeader&) = delete;

    std::array<std::uint8_t, RecordSize> FRecord{};
    TQCAxis* FXAxis = nullptr;
    TQCAxis* FYAxis = nullptr;
    TQCTableData* FTable = nullptr;

    int TableType() const { return FRecord[1]; }
    int GearMask() const { return FRecord[2]; }
    int Selector() const { return FRecord[3]; }
    // Address word (XAxisWord, YAxisWord, TableWord) with bit 31 masked off.
    std::int32_t AddressOf(int word) const;
    // Stores an address word with bit 31 set.
    void SetAddressOf(int word, std::int32_t address);
};

// The headers of one device map, owned.
class TQCHeaderList : public TOwningLockList<TQCHeader> {};
