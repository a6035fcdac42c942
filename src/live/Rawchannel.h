#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "Locklist.h"

// Live channels: one live quantity of an attached device each. The polling
// thread of the device stores raw bytes; GetValue turns them into an
// engineering value on demand.
//
// Threads: every operation of a channel must be called with the owning
// device's TRawChannelList locked (the polling thread and the UI thread both
// take that lock). Channels have no lock of their own.

// Raw value types of a channel.
enum : std::uint8_t {
    KChanU8 = 0,
    KChanS8 = 1,
    KChanU16 = 2,
    KChanS16 = 3,
    KChanU32 = 4,
    KChanS32 = 5,
    KChanFloat = 6,
    KChanDouble = 7,
    KChanFlag = 255,
};

// The byte count of a raw type (0 for flags and unknown codes).
int ChannelDataSize(std::uint8_t dataType);

// Base of all channels; a direct channel whose raw bytes come from the device.
class TRawChannel {
public:
    explicit TRawChannel(int id, bool direct = true);
    virtual ~TRawChannel() = default;
    TRawChannel(const TRawChannel&) = delete;
    TRawChannel& operator=(const TRawChannel&) = delete;

    // Registers interest. A direct channel becomes active (polled).
    virtual void Subscribe();
    // Withdraws interest; does nothing without subscribers. The last one
    // makes a direct channel inactive.
    virtual void Unsubscribe();
    // The engineering value; 0.0 without a valid value. Never fails.
    virtual double GetValue() const;

    int DataSize() const { return ChannelDataSize(FDataType); }
    // The raw value read by its type and converted to double (0.0 for flags,
    // unknown types, and while not valid).
    double RawValue() const;
    // The raw storage read as an integer by its type, for flag channels:
    // signed 8- and 16-bit types are sign-extended, 32-bit types give all 32
    // bits, any other type 0. Ignores FValid.
    std::uint32_t RawBits() const;

    // Polling thread: copies count bytes (at most 8, little-endian) to the
    // start of the raw storage and marks the value valid.
    void StoreRaw(const std::uint8_t* bytes, int count);
    void Invalidate() { FValid = false; }

    int ID() const { return FID; }
    std::uint8_t DataType() const { return FDataType; }
    bool Direct() const { return FDirect; }
    bool Valid() const { return FValid; }
    bool Active() const { return FActive; }
    int Subscribers() const { return FSubscribers; }
    int Decimals() const { return FDecimals; }
    bool Clamp() const { return FClamp; }
    double Min() const { return FMin; }
    double Max() const { return FMax; }
    const std::string& Name() const { return FName; }

    // Filled by the channel device when it adds the channel.
    void SetProperties(std::uint8_t dataType, const std::string& name, int decimals, bool clamp, double min,
                       double max);

protected:
    // Subscription counting of a direct channel.
    void CountSubscribe();
    void CountUnsubscribe();

    std::array<std::uint8_t, 8> FValue{};
    std::uint8_t FDataType = KChanU8;
    int FID;
    bool FDirect;
    bool FValid = false;
    bool FActive = false;
    int FSubscribers = 0;
    int FDecimals = 0;
    bool FClamp = false;
    double FMin = 0.0;
    double FMax = 0.0;
    std::string FName;
};

// A channel of one device family: direct (no sources) or derived from one or
// two channels of the same device (not owned; either may be absent). A
// derived channel passes subscriptions on to its sources.
class TSWChannel : public TRawChannel {
public:
    TSWChannel(int id, bool direct, TRawChannel* source1 = nullptr, TRawChannel* source2 = nullptr);
    void Subscribe() override;
    void Unsubscribe() override;
    TRawChannel* Source1() const { return FSource1; }
    TRawChannel* Source2() const { return FSource2; }

protected:
    // Value of source 1 or 2; 0.0 when absent.
    double Value1() const { return FSource1 ? FSource1->GetValue() : 0.0; }
    double Value2() const { return FSource2 ? FSource2->GetValue() : 0.0; }

    TRawChannel* FSource1;
    TRawChannel* FSource2;
};

// Controller channels (QC7 kinds and KZD). Identifiers 256..277 are computed;
// decimals divide the value and the bounds clamp it when FClamp is set.
class TSWChanQC7Base : public TSWChannel {
public:
    using TSWChannel::TSWChannel;
    double GetValue() const override;

    // (b - a) / a * 100 * 100; 0.0 when a is 0.
    static double PercentChange(double a, double b);
    // b - a folded into -180..180, times 100.
    static double AngleChange(double a, double b);

private:
    double BaseValue() const;
};

// Wide-band module channels. The two records belong to the module's channel
// device (8 bytes each; absent records read as no calibration).
class TSWChanLBX : public TSWChannel {
public:
    TSWChanLBX(int id, bool direct, TRawChannel* source1 = nullptr, const std::uint8_t* tpsCalibration = nullptr,
               const std::uint8_t* rpmConfig = nullptr);
    double GetValue() const override;

    // Straight line through (w0, w1) and (w2, w3) of the 8-byte record (four
    // little-endian unsigned 16-bit words), held flat beyond the points.
    static double Interpolate(const std::uint8_t* calibration, double x);
    // Engine speed from a period reading v and the pulse divisor d.
    static double SpeedFromPeriod(double v, int divisor);

private:
    const std::uint8_t* FTpsCalibration;
    const std::uint8_t* FRpmConfig;
};

// Dual wide-band module channels.
class TSWChanDualLBX : public TSWChannel {
public:
    using TSWChannel::TSWChannel;
    double GetValue() const override;
};

// Lambda from module ticks: t * 0.001 up to 32768, (t - 29492) * 10 * 0.001
// above (the module's encoding).
double LambdaFromTicks(double ticks);
// Air/fuel ratio from lambda.
constexpr double KAfrPerLambda = 14.71;

// One bit of another channel of the same device (not owned).
class TFlagChannel : public TRawChannel {
public:
    TFlagChannel(int id, TRawChannel* source, int bit);
    void Subscribe() override;
    void Unsubscribe() override;
    // 1.0 when the bit of the source's last stored value is set, else 0.0
    // (also 0.0 without a source or for a bit outside 0..31).
    double GetValue() const override;
    TRawChannel* Source() const { return FSource; }
    int Bit() const { return FBit; }

private:
    TRawChannel* FSource;
    int FBit;
};

// The owned channel table of one device, guarded by its own re-entrant
// mutex (Lock/Unlock may be held around a sequence of calls).
class TRawChannelList : public TOwningLockList<TRawChannel> {
public:
    TRawChannel* Items(int index) const { return Get(index); }
    // The first channel with this identifier, or nullptr.
    TRawChannel* FindByID(int id) const;
};
