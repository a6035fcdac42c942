#pragma once
#include <array>
#include <cstdint>

// The 11-byte output configuration and the 15-byte bank configuration block
// of a device map (layouts in Qcdevicemap.h).
using TQCOutputConfig = std::array<std::uint8_t, 11>;
using TQCBankConfig = std::array<std::uint8_t, 15>;

// Axis identifiers and value types of the map model.
enum : int { QC_AXIS_RPM = 28, QC_AXIS_PRESSURE = 119, QC_AXIS_TPS = 197 };
enum : int {
    QC_TYPE_NONE = 0, QC_TYPE_U8 = 1, QC_TYPE_S8 = 2, QC_TYPE_FUEL = 3, QC_TYPE_U16 = 4,
    QC_TYPE_S16 = 5, QC_TYPE_U32 = 6, QC_TYPE_S32 = 7, QC_TYPE_FLOAT = 8, QC_TYPE_8BYTE = 9
};

// Base of axes, tables and headers: where the object lives.
//   FPosition: the map position number (0..63).
//   FAddress: the controller address or file offset it was last read from or
//   written to; inside one device map, (FAddress, FPosition) is its identity.
class TQCMapObj {
public:
    virtual ~TQCMapObj() = default;

    std::int32_t FPosition = 0;
    std::int32_t FAddress = 0;

    // Value type of an axis id: 28 and 197 unsigned 16-bit, 119 signed 16-bit, else 0.
    static int AxisDataType(int axisId);
    // Decimals of an axis id: 197 one, 119 two, else 0.
    static int AxisDecimals(int axisId);
    // Bytes of one element of a value type (0 for 0 and unknown types).
    static int DataTypeSize(int valueType);
};

// Raw value helpers shared by tables and axes. All of them are pure.
namespace QCRaw {
// The representable raw range of an integer value type (1, 2, 3, 4, 5, 6, 7);
// false for other types.
bool Range(int valueType, std::int64_t& lo, std::int64_t& hi);
// Truncates x toward zero and saturates it to lo..hi. False (nothing to store)
// for NaN.
bool Saturate(double x, std::int64_t lo, std::int64_t hi, std::int64_t& raw);
// Reads / writes one little-endian element of an integer value type (the fuel
// type reads as its byte). Callers check the bounds.
std::int64_t Read(const std::uint8_t* p, int valueType);
void Write(std::uint8_t* p, int valueType, std::int64_t raw);
// 10^d for d = 0..9.
double Pow10(int d);
}  // namespace QCRaw
