#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "Rawchannel.h"

namespace {

// A direct channel of the given family class holding a stored raw value.
template <typename TChan = TSWChanQC7Base>
std::unique_ptr<TChan> Direct(int id, std::uint8_t type, std::uint32_t raw, int decimals = 0) {
    auto c = std::make_unique<TChan>(id, true);
    c->SetProperties(type, "", decimals, false, 0.0, 0.0);
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(raw), static_cast<std::uint8_t>(raw >> 8),
                                   static_cast<std::uint8_t>(raw >> 16), static_cast<std::uint8_t>(raw >> 24)};
    c->StoreRaw(bytes, ChannelDataSize(type));
    return c;
}

std::uint32_t S16(int v) { return static_cast<std::uint16_t>(static_cast<std::int16_t>(v)); }

}  // namespace

TEST(ChannelSubscription, FlagSubscribedTwiceKeepsItsSourceActiveUntilBothUnsubscribed) {
    TSWChanQC7Base flags(143, true);
    TFlagChannel running(282, &flags, 2);
    running.Subscribe();
    running.Subscribe();
    running.Unsubscribe();
    EXPECT_TRUE(flags.Active());
    EXPECT_EQ(flags.Subscribers(), 1);
    running.Unsubscribe();
    EXPECT_FALSE(flags.Active());
    running.Unsubscribe();  // nothing left to withdraw
    EXPECT_EQ(flags.Subscribers(), 0);
    running.Subscribe();
    EXPECT_TRUE(flags.Active());
    EXPECT_FALSE(running.Active());  // flags are never polled themselves
}

TEST(ChannelSubscription, DerivedChannelSubscribesBothSourcesAndSharesTheirCounts) {
    TSWChanQC7Base in(33, true), out(40, true);
    TSWChanQC7Base adjustment(260, false, &in, &out);
    in.Subscribe();  // another reader of the input alone
    adjustment.Subscribe();
    EXPECT_TRUE(in.Active());
    EXPECT_TRUE(out.Active());
    EXPECT_EQ(in.Subscribers(), 2);
    adjustment.Unsubscribe();
    EXPECT_TRUE(in.Active());
    EXPECT_FALSE(out.Active());
    EXPECT_EQ(adjustment.Subscribers(), 0);
}

struct TRawCase {
    std::uint8_t Type;
    std::uint32_t Raw;
    double Expected;
};

class RawValueTest : public ::testing::TestWithParam<TRawCase> {};

TEST_P(RawValueTest, DecodesLittleEndianByType) {
    const TRawCase& c = GetParam();
    EXPECT_DOUBLE_EQ(Direct<TRawChannel>(1, c.Type, c.Raw)->GetValue(), c.Expected);
}

static std::uint32_t FloatBits(float f) {
    std::uint32_t b;
    std::memcpy(&b, &f, 4);
    return b;
}

INSTANTIATE_TEST_SUITE_P(Types, RawValueTest,
                         ::testing::Values(TRawCase{KChanU8, 0xFF, 255}, TRawCase{KChanS8, 0xFF, -1},
                                           TRawCase{KChanU16, 0x1234, 0x1234}, TRawCase{KChanS16, 0x8000, -32768},
                                           TRawCase{KChanU32, 0xFFFFFFFF, 4294967295.0},
                                           TRawCase{KChanS32, 0xFFFFFFFE, -2},
                                           TRawCase{KChanFloat, FloatBits(-1.5f), -1.5},
                                           TRawCase{KChanFlag, 0xFF, 0.0}, TRawCase{42, 0xFF, 0.0}));

TEST(RawValue, ZeroUntilStoredAndAfterInvalidation) {
    TRawChannel c(28);
    c.SetProperties(KChanU16, "Engine RPM", 0, false, 0, 0);
    EXPECT_EQ(c.GetValue(), 0.0);
    const std::uint8_t rpm[2] = {0xB8, 0x0B};
    c.StoreRaw(rpm, 2);
    EXPECT_EQ(c.GetValue(), 3000.0);
    c.Invalidate();
    EXPECT_EQ(c.GetValue(), 0.0);
}

// Controller formulas: a derived channel over one or two direct sources.
struct TQC7Case {
    const char* What;
    int ID;
    int Decimals;
    std::uint8_t Type1;
    std::uint32_t Raw1;
    int Decimals1;
    std::uint8_t Type2;  // KChanFlag: no second source
    std::uint32_t Raw2;
    int Decimals2;
    double Expected;
};

class QC7FormulaTest : public ::testing::TestWithParam<TQC7Case> {};

TEST_P(QC7FormulaTest, ComputesTheEngineeringValue) {
    const TQC7Case& c = GetParam();
    auto s1 = Direct(1, c.Type1, c.Raw1, c.Decimals1);
    std::unique_ptr<TSWChanQC7Base> s2;
    if (c.Type2 != KChanFlag)
        s2 = Direct(2, c.Type2, c.Raw2, c.Decimals2);
    TSWChanQC7Base derived(c.ID, false, s1.get(), s2.get());
    derived.SetProperties(0, "", c.Decimals, false, 0, 0);
    EXPECT_NEAR(derived.GetValue(), c.Expected, 1e-9) << c.What;
}

INSTANTIATE_TEST_SUITE_P(
    Formulas, QC7FormulaTest,
    ::testing::Values(
        TQC7Case{"angle change 350 folds to -10", 261, 2, KChanS16, S16(-17500), 2, KChanS16, 17500, 2, -10.0},
        TQC7Case{"angle change -350 folds to +10", 261, 2, KChanS16, 17500, 2, KChanS16, S16(-17500), 2, 10.0},
        TQC7Case{"angle change within range", 265, 2, KChanS16, S16(-1050), 2, KChanS16, 1450, 2, 25.0},
        TQC7Case{"percent change of pulse widths", 260, 2, KChanU32, 1000, 0, KChanU32, 1100, 0, 10.0},
        TQC7Case{"percent change over an input of 0", 264, 2, KChanU32, 0, 0, KChanU32, 1100, 0, 0.0},
        TQC7Case{"percent change without its second source", 268, 2, KChanU32, 1000, 0, KChanFlag, 0, 0, 0.0},
        TQC7Case{"ticks to milliseconds", 259, 3, KChanU32, 72000, 0, KChanFlag, 0, 0, 1.0},
        TQC7Case{"ticks to milliseconds, output 3", 271, 3, KChanU32, 108000, 0, KChanFlag, 0, 0, 1.5},
        TQC7Case{"device time in seconds", 256, 3, KChanU32, 12345, 0, KChanFlag, 0, 0, 12.345},
        TQC7Case{"duty cycle of the fuel output", 274, 2, KChanU16, 5025, 2, KChanFlag, 0, 0, 50.25},
        TQC7Case{"ignition adjustment, negative", 276, 2, KChanS32, 0xFFFFFF38, 2, KChanFlag, 0, 0, -2.0},
        TQC7Case{"pulse width of the fuel output", 277, 3, KChanU16, 2500, 3, KChanFlag, 0, 0, 2.5},
        TQC7Case{"identifier outside the computed range reads its own value", 117, 3, KChanU16, 4210, 0, KChanFlag, 0, 0, 0.0}));

TEST(QC7Formula, AngleAndPercentChangeBeforeTheDecimalDivision) {
    EXPECT_DOUBLE_EQ(TSWChanQC7Base::AngleChange(0, 350), -1000.0);
    EXPECT_DOUBLE_EQ(TSWChanQC7Base::AngleChange(350, 0), 1000.0);
    EXPECT_DOUBLE_EQ(TSWChanQC7Base::AngleChange(10, 190), 18000.0);  // 180 is not folded
    EXPECT_DOUBLE_EQ(TSWChanQC7Base::PercentChange(200, 150), -2500.0);
    EXPECT_EQ(TSWChanQC7Base::PercentChange(0.0, 150), 0.0);
}

TEST(QC7Formula, DirectChannelDividesByItsDecimals) {
    EXPECT_DOUBLE_EQ(Direct(117, KChanU16, 4210, 3)->GetValue(), 4.21);
    EXPECT_DOUBLE_EQ(Direct(198, KChanS16, S16(-125), 1)->GetValue(), -12.5);
}

TEST(QC7Formula, ComputedChannelWithoutSourceReadsZero) {
    TSWChanQC7Base chAll(274, false);
    chAll.SetProperties(0, "", 2, false, 0, 0);
    EXPECT_EQ(chAll.GetValue(), 0.0);
}

TEST(QC7Formula, ClampHoldsTheValueInsideItsBounds) {
    auto high = Direct(117, KChanU16, 5200, 3);
    high->SetProperties(KChanU16, "", 3, true, 0.0, 5.0);
    EXPECT_DOUBLE_EQ(high->GetValue(), 5.0);
    auto low = Direct(117, KChanS16, S16(-100), 3);
    low->SetProperties(KChanS16, "", 3, true, 0.0, 5.0);
    EXPECT_DOUBLE_EQ(low->GetValue(), 0.0);
    auto inside = Direct(117, KChanU16, 2500, 3);
    inside->SetProperties(KChanU16, "", 3, true, 0.0, 5.0);
    EXPECT_DOUBLE_EQ(inside->GetValue(), 2.5);
}

TEST(LBXFormula, LambdaFromTicksChangesScaleAbove32768) {
    EXPECT_DOUBLE_EQ(LambdaFromTicks(32768), 32.768);
    EXPECT_DOUBLE_EQ(LambdaFromTicks(32769), 32.77);
    EXPECT_DOUBLE_EQ(LambdaFromTicks(1000), 1.0);
}

// Throttle calibration records, as four little-endian words.
static std::array<std::uint8_t, 8> Calibration(std::uint16_t w0, std::uint16_t w1, std::uint16_t w2, std::uint16_t w3) {
    return {static_cast<std::uint8_t>(w0), static_cast<std::uint8_t>(w0 >> 8), static_cast<std::uint8_t>(w1),
            static_cast<std::uint8_t>(w1 >> 8), static_cast<std::uint8_t>(w2), static_cast<std::uint8_t>(w2 >> 8),
            static_cast<std::uint8_t>(w3), static_cast<std::uint8_t>(w3 >> 8)};
}

class ThrottleLineTest : public ::testing::TestWithParam<std::array<std::uint8_t, 8>> {};

TEST_P(ThrottleLineTest, InterpolatesAndHoldsFlatBeyondThePoints) {
    const auto cal = GetParam();
    const std::array<std::pair<double, double>, 7> cases = {
        {{0, 0}, {100, 0}, {300, 250}, {500, 500}, {900, 1000}, {901, 1000}, {65535, 1000}}};
    for (const auto& [x, expected] : cases)
        EXPECT_DOUBLE_EQ(TSWChanLBX::Interpolate(cal.data(), x), expected) << "at " << x;
}

INSTANTIATE_TEST_SUITE_P(BothWaysRound, ThrottleLineTest,
                         ::testing::Values(Calibration(100, 0, 900, 1000), Calibration(900, 1000, 100, 0)));

TEST(LBXFormula, ChannelsOfTheModule) {
    const auto cal = Calibration(100, 0, 900, 1000);
    std::array<std::uint8_t, 8> rpm{};
    rpm[6] = 2;
    auto period = Direct<TSWChanLBX>(1, KChanU16, 1000);
    auto analog = Direct<TSWChanLBX>(2, KChanU16, 500);
    auto ticks = Direct<TSWChanLBX>(3, KChanU16, 32769);
    TSWChanLBX speed(5, false, period.get(), cal.data(), rpm.data());
    TSWChanLBX tps(6, false, analog.get(), cal.data(), rpm.data());
    TSWChanLBX lambda(7, false, ticks.get(), cal.data(), rpm.data());
    TSWChanLBX afr(8, false, &lambda, cal.data(), rpm.data());
    auto full = Direct<TSWChanLBX>(2, KChanU16, 1023);
    TSWChanLBX volts(9, false, full.get(), cal.data(), rpm.data());
    EXPECT_DOUBLE_EQ(speed.GetValue(), 11250.0);  // (2 / 2) * (187500 / 1000 * 60)
    EXPECT_DOUBLE_EQ(tps.GetValue(), 500.0);
    EXPECT_DOUBLE_EQ(lambda.GetValue(), 32.77);
    EXPECT_DOUBLE_EQ(afr.GetValue(), 32.77 * 14.71);
    EXPECT_DOUBLE_EQ(volts.GetValue(), 5.0);
    TSWChanLBX noRecords(5, false, period.get(), nullptr, nullptr);
    EXPECT_EQ(noRecords.GetValue(), 0.0);
}

TEST(LBXFormula, SpeedIsZeroForUnusablePeriodsOrDivisor) {
    EXPECT_EQ(TSWChanLBX::SpeedFromPeriod(0, 2), 0.0);
    EXPECT_EQ(TSWChanLBX::SpeedFromPeriod(65535, 2), 0.0);
    EXPECT_EQ(TSWChanLBX::SpeedFromPeriod(1000, 0), 0.0);
    EXPECT_DOUBLE_EQ(TSWChanLBX::SpeedFromPeriod(65534, 1), 2.0 * 187500.0 / 65534 * 60);
}

TEST(DualLBXFormula, LambdaAndAfrPerSensor) {
    auto ticks1 = Direct<TSWChanDualLBX>(1, KChanU16, 1000);
    auto ticks2 = Direct<TSWChanDualLBX>(11, KChanU16, 33000);
    TSWChanDualLBX lambda1(2, false, ticks1.get()), lambda2(12, false, ticks2.get());
    TSWChanDualLBX afr1(3, false, &lambda1), afr2(13, false, &lambda2);
    EXPECT_DOUBLE_EQ(lambda1.GetValue(), 1.0);
    EXPECT_DOUBLE_EQ(afr1.GetValue(), 14.71);
    EXPECT_DOUBLE_EQ(lambda2.GetValue(), (33000 - 29492) * 10 * 0.001);
    EXPECT_DOUBLE_EQ(afr2.GetValue(), lambda2.GetValue() * 14.71);
    TSWChanDualLBX orphan(3, false);
    EXPECT_EQ(orphan.GetValue(), 0.0);
}

TEST(FlagChannel, NegativeSignedByteSetsBit7AndEveryHigherBit) {
    auto source = Direct(122, KChanS8, 0x80);  // -128
    for (int bit = 0; bit < 32; ++bit)
        EXPECT_EQ(TFlagChannel(300, source.get(), bit).GetValue(), bit >= 7 ? 1.0 : 0.0) << "bit " << bit;
    auto word = Direct(126, KChanS16, S16(-2));
    EXPECT_EQ(TFlagChannel(300, word.get(), 0).GetValue(), 0.0);
    EXPECT_EQ(TFlagChannel(300, word.get(), 31).GetValue(), 1.0);
    auto unsignedByte = Direct(27, KChanU8, 0x80);
    EXPECT_EQ(TFlagChannel(300, unsignedByte.get(), 8).GetValue(), 0.0);
}

TEST(FlagChannel, ShowsTheLastStoredBitAfterTheSourceBecameInvalid) {
    auto flags = Direct(143, KChanU32, 0x4);
    TFlagChannel running(282, flags.get(), 2);
    flags->Invalidate();
    EXPECT_EQ(running.GetValue(), 1.0);
    EXPECT_EQ(TFlagChannel(282, nullptr, 2).GetValue(), 0.0);
    EXPECT_EQ(TFlagChannel(282, flags.get(), 40).GetValue(), 0.0);
    EXPECT_EQ(running.DataType(), KChanFlag);
    EXPECT_EQ(running.Max(), 1.0);
}

TEST(RawChannelList, FindsByIdentifierAndOwnsItsChannels) {
    TRawChannelList list;
    auto* a = new TRawChannel(28);
    EXPECT_EQ(list.Add(a), 0);
    EXPECT_EQ(list.Add(a), 0);
    list.Add(new TRawChannel(197));
    EXPECT_EQ(list.FindByID(197)->ID(), 197);
    EXPECT_EQ(list.FindByID(28), a);
    EXPECT_EQ(list.FindByID(5), nullptr);
    EXPECT_EQ(list.Count(), 2);
}
