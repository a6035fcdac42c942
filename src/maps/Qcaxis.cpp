#include "Qcaxis.h"

#include <cmath>
#include <cstring>
#include <limits>

void TQCAxis::SetCount(int count) {
    const int limit = DataTypeSize(DataType()) > 0 ? MaxCount() : 255;
    FData[0] = static_cast<std::uint8_t>(count < 0 ? 0 : (count > limit ? limit : count));
}

int TQCAxis::MaxCount() const {
    const int size = DataTypeSize(DataType());
    return size == 1 || size == 2 || size == 4 ? (BlockSize - 4) / size : 0;
}

int TQCAxis::ByteSize() const {
    const int size = DataTypeSize(DataType());
    const int bytes = size * Count();
    return bytes > BlockSize - 4 ? BlockSize - 4 : bytes;
}

bool TQCAxis::IsDamaged() const { return 4 + DataTypeSize(DataType()) * Count() > BlockSize; }

bool TQCAxis::InRange(int i) const {
    const int limit = Count() < MaxCount() ? Count() : MaxCount();
    return i >= 0 && i < limit;
}

double TQCAxis::GetValue(int i) const {
    if (!InRange(i))
        return 0;
    const int type = DataType();
    const std::uint8_t* p = &FData[4 + static_cast<std::size_t>(i * DataTypeSize(type))];
    double value;
    if (type == QC_TYPE_FLOAT) {
        float f;
        std::memcpy(&f, p, sizeof f);
        value = f;
    } else {
        value = static_cast<double>(QCRaw::Read(p, type));
    }
    const int d = AxisDecimals(AxisId());
    return d > 0 ? value / QCRaw::Pow10(d) : value;
}

void TQCAxis::SetValue(int i, double x) {
    if (!InRange(i) || std::isnan(x))
        return;
    const int type = DataType();
    const int d = AxisDecimals(AxisId());
    if (d > 0) {
        const double bias = 5 / QCRaw::Pow10(d + 1);
        x = x < 0 ? -(-x * QCRaw::Pow10(d) + bias) : x * QCRaw::Pow10(d) + bias;
    }
    std::uint8_t* p = &FData[4 + static_cast<std::size_t>(i * DataTypeSize(type))];
    if (type == QC_TYPE_FLOAT) {
        const double limit = std::numeric_limits<float>::max();
        const float f = static_cast<float>(x > limit ? limit : (x < -limit ? -limit : x));
        std::memcpy(p, &f, sizeof f);
        return;
    }
    std::int64_t lo, hi, raw;
    if (QCRaw::Range(type, lo, hi) && QCRaw::Saturate(x, lo, hi, raw))
        QCRaw::Write(p, type, raw);
}

TQCAxis* TQCAxisList::Find(int flags, int position, int axisId, int address) const {
    std::lock_guard<std::recursive_mutex> guard(Mutex());
    for (int i = 0; i < Count(); ++i) {
        TQCAxis* axis = Get(i);
        if ((flags & FindByPosition) && axis->FPosition != position)
            continue;
        if ((flags & FindByAddress) && axis->FAddress != address)
            continue;
        if ((flags & FindByAxisId) && axis->AxisId() != axisId)
            continue;
        return axis;
    }
    return nullptr;
}
