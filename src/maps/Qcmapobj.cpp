#include "Qcmapobj.h"

#include <cmath>
#include <cstring>
#include <limits>

int TQCMapObj::AxisDataType(int axisId) {
    switch (axisId) {
    case QC_AXIS_RPM:
    case QC_AXIS_TPS:
        return QC_TYPE_U16;
    case QC_AXIS_PRESSURE:
        return QC_TYPE_S16;
    default:
        return QC_TYPE_NONE;
    }
}

int TQCMapObj::AxisDecimals(int axisId) {
    switch (axisId) {
    case QC_AXIS_TPS:
        return 1;
    case QC_AXIS_PRESSURE:
        return 2;
    default:
        return 0;
    }
}

int TQCMapObj::DataTypeSize(int valueType) {
    switch (valueType) {
    case QC_TYPE_U8:
    case QC_TYPE_S8:
    case QC_TYPE_FUEL:
        return 1;
    case QC_TYPE_U16:
    case QC_TYPE_S16:
        return 2;
    case QC_TYPE_U32:
    case QC_TYPE_S32:
    case QC_TYPE_FLOAT:
        return 4;
    case QC_TYPE_8BYTE:
        return 8;
    default:
        return 0;
    }
}

namespace QCRaw {

bool Range(int valueType, std::int64_t& lo, std::int64_t& hi) {
    switch (valueType) {
    case QC_TYPE_U8:
    case QC_TYPE_FUEL:
        lo = 0, hi = 0xFF;
        return true;
    case QC_TYPE_S8:
        lo = -128, hi = 127;
        return true;
    case QC_TYPE_U16:
        lo = 0, hi = 0xFFFF;
        return true;
    case QC_TYPE_S16:
        lo = -32768, hi = 32767;
        return true;
    case QC_TYPE_U32:
        lo = 0, hi = 0xFFFFFFFFLL;
        return true;
    case QC_TYPE_S32:
        lo = std::numeric_limits<std::int32_t>::min(), hi = std::numeric_limits<std::int32_t>::max();
        return true;
    default:
        return false;
    }
}

bool Saturate(double x, std::int64_t lo, std::int64_t hi, std::int64_t& raw) {
    if (std::isnan(x))
        return false;
    const double t = std::trunc(x);
    if (t <= static_cast<double>(lo))
        raw = lo;
    else if (t >= static_cast<double>(hi))
        raw = hi;
    else
        raw = static_cast<std::int64_t>(t);
    return true;
}

std::int64_t Read(const std::uint8_t* p, int valueType) {
    switch (valueType) {
    case QC_TYPE_U8:
    case QC_TYPE_FUEL:
        return p[0];
    case QC_TYPE_S8:
        return static_cast<std::int8_t>(p[0]);
    case QC_TYPE_U16:
        return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
    case QC_TYPE_S16:
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
    case QC_TYPE_U32:
    case QC_TYPE_S32: {
        const std::uint32_t u = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                                (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
        return valueType == QC_TYPE_U32 ? static_cast<std::int64_t>(u)
                                        : static_cast<std::int64_t>(static_cast<std::int32_t>(u));
    }
    default:
        return 0;
    }
}

void Write(std::uint8_t* p, int valueType, std::int64_t raw) {
    const std::uint64_t u = static_cast<std::uint64_t>(raw);
    const int size = TQCMapObj::DataTypeSize(valueType);
    for (int i = 0; i < size && i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(u >> (8 * i));
}

double Pow10(int d) {
    static const double table[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    return d >= 0 && d <= 9 ? table[d] : 1;
}

}  // namespace QCRaw
