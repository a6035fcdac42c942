#pragma once
#include <array>
#include <cstdint>

#include "Locklist.h"
#include "Qcmapobj.h"

// One axis: a 196-byte block as the controllers keep it.
//   byte 0: Count (breakpoints), byte 1: AxisId, bytes 2..3 spare,
//   bytes 4..195: breakpoints packed at the width of AxisDataType(AxisId).
// An axis whose 4 + DataTypeSize x Count exceeds 196 bytes is damaged
// (IsDamaged); the accessors never read or write beyond the block.
class TQCAxis : public TQCMapObj {
public:
    static constexpr int BlockSize = 196;

    TQCAxis() = default;
    TQCAxis(const TQCAxis& source) = default;
    TQCAxis& operator=(const TQCAxis&) = delete;

    std::array<std::uint8_t, BlockSize> FData{};

    int Count() const { return FData[0]; }
    int AxisId() const { return FData[1]; }
    // Sets the count byte, limited to MaxCount for axes with a value type.
    void SetCount(int count);
    void SetAxisId(int axisId) { FData[1] = static_cast<std::uint8_t>(axisId); }
    int DataType() const { return AxisDataType(AxisId()); }
    // 192 for 1-byte types, 96 for 2-byte, 48 for 4-byte, 0 otherwise.
    int MaxCount() const;
    // Value bytes in use: DataTypeSize x Count (limited to the block).
    int ByteSize() const;
    bool IsDamaged() const;
    // Breakpoint i in engineering units; 0 outside 0..min(Count, MaxCount)-1.
    double GetValue(int i) const;
    // Stores breakpoint i: scaled by 10^decimals with the half-unit bias
    // (mirrored for negative values), truncated and saturated to the value
    // type. Ignored outside the range GetValue reads and for NaN.
    void SetValue(int i, double x);

private:
    bool InRange(int i) const;
};

// The axes of one device map, owned.
class TQCAxisList : public TOwningLockList<TQCAxis> {
public:
    enum : int { FindByPosition = 1, FindByAddress = 2, FindByAxisId = 4 };
    // The first axis for which every test selected by flags holds.
    TQCAxis* Find(int flags, int position, int axisId, int address) const;
};
