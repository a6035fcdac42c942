#include "Rawchannel.h"

#include <cmath>
#include <cstring>
#include <mutex>

namespace {

std::uint32_t LoadLE(const std::uint8_t* bytes, int count) {
    std::uint32_t v = 0;
    for (int i = count - 1; i >= 0; --i)
        v = (v << 8) | bytes[i];
    return v;
}

std::uint16_t Word(const std::uint8_t* record, int index) {
    return static_cast<std::uint16_t>(LoadLE(record + 2 * index, 2));
}

}  // namespace

int ChannelDataSize(std::uint8_t dataType) {
    switch (dataType) {
    case KChanU8:
    case KChanS8:
        return 1;
    case KChanU16:
    case KChanS16:
        return 2;
    case KChanU32:
    case KChanS32:
    case KChanFloat:
        return 4;
    case KChanDouble:
        return 8;
    default:
        return 0;
    }
}

// ---- TRawChannel

TRawChannel::TRawChannel(int id, bool direct) : FID(id), FDirect(direct) {}

void TRawChannel::CountSubscribe() {
    ++FSubscribers;
    if (FSubscribers > 0 && FDirect)
        FActive = true;
}

void TRawChannel::CountUnsubscribe() {
    if (FSubscribers <= 0)
        return;
    if (--FSubscribers == 0 && FDirect)
        FActive = false;
}

void TRawChannel::Subscribe() { CountSubscribe(); }
void TRawChannel::Unsubscribe() { CountUnsubscribe(); }

double TRawChannel::GetValue() const { return RawValue(); }

double TRawChannel::RawValue() const {
    if (!FValid)
        return 0.0;
    const std::uint8_t* b = FValue.data();
    switch (FDataType) {
    case KChanU8:
        return b[0];
    case KChanS8:
        return static_cast<std::int8_t>(b[0]);
    case KChanU16:
        return static_cast<std::uint16_t>(LoadLE(b, 2));
    case KChanS16:
        return static_cast<std::int16_t>(LoadLE(b, 2));
    case KChanU32:
        return LoadLE(b, 4);
    case KChanS32:
        return static_cast<std::int32_t>(LoadLE(b, 4));
    case KChanFloat: {
        const std::uint32_t bits = LoadLE(b, 4);
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
    case KChanDouble: {
        const std::uint64_t bits = (static_cast<std::uint64_t>(LoadLE(b + 4, 4)) << 32) | LoadLE(b, 4);
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }
    default:
        return 0.0;
    }
}

std::uint32_t TRawChannel::RawBits() const {
    const std::uint8_t* b = FValue.data();
    switch (FDataType) {
    case KChanU8:
        return b[0];
    case KChanS8:
        return static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<std::int8_t>(b[0])));
    case KChanU16:
        return LoadLE(b, 2);
    case KChanS16:
        return static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<std::int16_t>(LoadLE(b, 2))));
    case KChanU32:
    case KChanS32:
        return LoadLE(b, 4);
    default:
        return 0;
    }
}

void TRawChannel::StoreRaw(const std::uint8_t* bytes, int count) {
    if (count > static_cast<int>(FValue.size()))
        count = static_cast<int>(FValue.size());
    if (count > 0)
        std::memcpy(FValue.data(), bytes, static_cast<std::size_t>(count));
    FValid = true;
}

void TRawChannel::SetProperties(std::uint8_t dataType, const std::string& name, int decimals, bool clamp,
                                double min, double max) {
    FDataType = dataType;
    FName = name;
    FDecimals = decimals;
    FClamp = clamp;
    FMin = min;
    FMax = max;
}

// ---- TSWChannel

TSWChannel::TSWChannel(int id, bool direct, TRawChannel* source1, TRawChannel* source2)
    : TRawChannel(id, direct), FSource1(source1), FSource2(source2) {}

void TSWChannel::Subscribe() {
    if (FDirect) {
        CountSubscribe();
        return;
    }
    if (FSource1)
        FSource1->Subscribe();
    if (FSource2)
        FSource2->Subscribe();
}

void TSWChannel::Unsubscribe() {
    if (FDirect) {
        CountUnsubscribe();
        return;
    }
    if (FSource1)
        FSource1->Unsubscribe();
    if (FSource2)
        FSource2->Unsubscribe();
}

// ---- TSWChanQC7Base

double TSWChanQC7Base::PercentChange(double a, double b) {
    if (a == 0.0)
        return 0.0;
    return (b - a) / a * 100.0 * 100.0;
}

double TSWChanQC7Base::AngleChange(double a, double b) {
    double d = b - a;
    if (d > 180.0)
        d -= 360.0;
    if (d < -180.0)
        d += 360.0;
    return d * 100.0;
}

double TSWChanQC7Base::BaseValue() const {
    switch (FID) {
    case 256:
    case 257:
        return Value1();
    case 258: case 259: case 262: case 263: case 266: case 267: case 270: case 271:
        return Value1() / 72.0;
    case 260: case 264: case 268: case 272:
        return FSource1 && FSource2 ? PercentChange(Value1(), Value2()) : 0.0;
    case 261: case 265: case 269: case 273:
        return FSource1 && FSource2 ? AngleChange(Value1(), Value2()) : 0.0;
    case 274:
    case 275:
    case 276:
        return Value1() * 100.0;
    case 277:
        return Value1() * 1000.0;
    default:
        return RawValue();
    }
}

double TSWChanQC7Base::GetValue() const {
    double v = BaseValue();
    if (FDecimals != 0)
        v /= std::pow(10.0, FDecimals);
    if (FClamp) {
        if (v < FMin)
            v = FMin;
        else if (v > FMax)
            v = FMax;
    }
    return v;
}

// ---- wide-band modules

double LambdaFromTicks(double ticks) {
    if (ticks <= 32768.0)
        return ticks * 0.001;
    return (ticks - 29492.0) * 10.0 * 0.001;
}

TSWChanLBX::TSWChanLBX(int id, bool direct, TRawChannel* source1, const std::uint8_t* tpsCalibration,
                       const std::uint8_t* rpmConfig)
    : TSWChannel(id, direct, source1), FTpsCalibration(tpsCalibration), FRpmConfig(rpmConfig) {}

double TSWChanLBX::Interpolate(const std::uint8_t* calibration, double x) {
    const double w0 = Word(calibration, 0), w1 = Word(calibration, 1);
    const double w2 = Word(calibration, 2), w3 = Word(calibration, 3);
    if (w2 >= w0) {
        if (x <= w0)
            return w1;
        if (x >= w2)
            return w3;
        return w1 + (x - w0) * (w3 - w1) / (w2 - w0);
    }
    if (x >= w0)
        return w1;
    if (x <= w2)
        return w3;
    return w3 + (x - w2) * (w1 - w3) / (w0 - w2);
}

double TSWChanLBX::SpeedFromPeriod(double v, int divisor) {
    if (v == 0.0 || v >= 65535.0 || divisor == 0)
        return 0.0;
    return (2.0 / divisor) * (187500.0 / v * 60.0);
}

double TSWChanLBX::GetValue() const {
    const bool derived = FID >= 5 && FID <= 9;
    if (derived && !FSource1)
        return 0.0;
    switch (FID) {
    case 5:
        return FRpmConfig ? SpeedFromPeriod(Value1(), FRpmConfig[6]) : 0.0;
    case 6:
        return FTpsCalibration ? Interpolate(FTpsCalibration, Value1()) : 0.0;
    case 7:
        return LambdaFromTicks(Value1());
    case 8:
        return Value1() * KAfrPerLambda;
    case 9:
        return Value1() * 5.0 / 1023.0;
    default:
        return RawValue();
    }
}

double TSWChanDualLBX::GetValue() const {
    switch (FID) {
    case 2:
    case 12:
        return FSource1 ? LambdaFromTicks(Value1()) : 0.0;
    case 3:
    case 13:
        return FSource1 ? Value1() * KAfrPerLambda : 0.0;
    default:
        return RawValue();
    }
}

// ---- TFlagChannel

TFlagChannel::TFlagChannel(int id, TRawChannel* source, int bit) : TRawChannel(id, false), FSource(source), FBit(bit) {
    FDataType = KChanFlag;
    FMin = 0.0;
    FMax = 1.0;
}

void TFlagChannel::Subscribe() {
    if (FSource)
        FSource->Subscribe();
}

void TFlagChannel::Unsubscribe() {
    if (FSource)
        FSource->Unsubscribe();
}

double TFlagChannel::GetValue() const {
    if (!FSource || FBit < 0 || FBit > 31)
        return 0.0;
    return (FSource->RawBits() >> FBit) & 1u ? 1.0 : 0.0;
}

// ---- TRawChannelList

TRawChannel* TRawChannelList::FindByID(int id) const {
    std::lock_guard<std::recursive_mutex> guard(Mutex());
    const int count = Count();
    for (int i = 0; i < count; ++i) {
        TRawChannel* channel = Get(i);
        if (channel->ID() == id)
            return channel;
    }
    return nullptr;
}
