#include <gtest/gtest.h>

#include <QLabel>

#include "Digitalgauge.h"
#include "Shadowlabel.h"

namespace {
struct TLayoutCase {
    int Width, Height, Count, Spacing;
    double TitleSize;
    int Title;
    std::vector<int> Lefts, Widths;
    int FontHeight;
};

class GaugeLayoutTest : public ::testing::TestWithParam<TLayoutCase> {};

TEST_P(GaugeLayoutTest, PlacesTitleAndIndicators) {
    const TLayoutCase& c = GetParam();
    const TGaugeLayout layout = GaugeLayout(c.Width, c.Height, c.Count, c.Spacing, c.TitleSize);
    EXPECT_EQ(layout.Title, QRect(0, 0, c.Width, c.Title));
    ASSERT_EQ(layout.Indicators.size(), c.Lefts.size());
    for (std::size_t i = 0; i < c.Lefts.size(); ++i) {
        EXPECT_EQ(layout.Indicators[i], QRect(c.Lefts[i], c.Title, c.Widths[i], c.Height - c.Title)) << i;
    }
    EXPECT_EQ(layout.TitleFontHeight, c.FontHeight);
}

// Font factor: 0.9 up to a title/width ratio of 0.125, then falling twice as
// fast as the ratio, never below 0.3.
INSTANTIATE_TEST_SUITE_P(Cases, GaugeLayoutTest,
                         ::testing::Values(TLayoutCase{313, 100, 3, 12, 0.25, 25, {0, 108, 216}, {96, 96, 97}, 22},
                                           TLayoutCase{200, 89, 1, 5, 0.3, 26, {0}, {200}, 23},
                                           TLayoutCase{100, 100, 2, 0, 0.26, 26, {0, 50}, {50, 50}, 16},
                                           TLayoutCase{40, 100, 1, 5, 0.5, 50, {0}, {40}, 15},
                                           TLayoutCase{0, 100, 1, 5, 0.2, 20, {0}, {0}, 18},
                                           TLayoutCase{10, 10, 4, 0, 0.0, 0, {0, 2, 4, 7}, {2, 2, 3, 3}, 0}));

TEST(DigitalGaugeTest, WidgetFollowsLayoutOnResize) {
    TDigitalGauge gauge;
    gauge.SetNumIndicators(3);
    gauge.SetIndicatorSpacing(12);
    gauge.SetTitleSize(0.3);
    gauge.resize(313, 89);
    gauge.show();  // a hidden widget gets its resize event when shown
    EXPECT_EQ(gauge.TitleStrip()->geometry(), QRect(0, 0, 313, 26));
    EXPECT_EQ(gauge.TitleLabel()->geometry(), QRect(0, 0, 313, 26));
    const int lefts[] = {0, 108, 216}, widths[] = {96, 96, 97};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(gauge.Indicator(i)->geometry(), QRect(lefts[i], 26, widths[i], 63)) << i;
    EXPECT_EQ(gauge.TitleLabel()->font().pixelSize(), 23);
}

TEST(DigitalGaugeTest, FormatsValuesWithPrecisionAndDashesForNoValue) {
    TDigitalGauge gauge;
    gauge.SetNumDigits(5);
    gauge.SetValue(0, 12.345);
    EXPECT_EQ(gauge.Indicator(0)->DisplayString(), "12.3");
    EXPECT_DOUBLE_EQ(gauge.GetValue(0), 12.345);
    gauge.SetPrecision(0);
    EXPECT_EQ(gauge.Indicator(0)->DisplayString(), "12");
    gauge.SetPrecision(3);
    EXPECT_EQ(gauge.Indicator(0)->DisplayString(), "12.345");
    gauge.SetValue(0, KNoValue);
    EXPECT_EQ(gauge.Indicator(0)->DisplayString(), QString(16, u'-'));
    EXPECT_EQ(gauge.GetValue(0), 0.0);
    const std::vector<TSegmentCell> dashes(5, TSegmentCell{0x40, false});
    EXPECT_EQ(gauge.Indicator(0)->Cells(), dashes);
}

TEST(DigitalGaugeTest, PrecisionChangeKeepsDashesOfAnIndicatorWithoutValue) {
    TDigitalGauge gauge;
    gauge.SetNumIndicators(2);
    gauge.SetValue(0, KNoValue);
    gauge.SetValue(1, 7.25);
    gauge.SetPrecision(2);
    EXPECT_EQ(gauge.Indicator(0)->DisplayString(), QString(16, u'-'));
    EXPECT_EQ(gauge.Indicator(1)->DisplayString(), "7.25");
}

TEST(DigitalGaugeTest, IndexOutsideIsIgnored) {
    TDigitalGauge gauge;
    gauge.SetValue(1, 5);
    gauge.SetValue(-1, 5);
    EXPECT_EQ(gauge.GetValue(1), 0.0);
    EXPECT_EQ(gauge.GetValue(-1), 0.0);
    EXPECT_EQ(gauge.Indicator(0)->DisplayString(), "----");
}

TEST(DigitalGaugeTest, IndicatorCountOutsideOneToNineIsIgnored) {
    TDigitalGauge gauge;
    gauge.SetNumIndicators(3);
    gauge.SetNumIndicators(10);
    gauge.SetNumIndicators(0);
    EXPECT_EQ(gauge.NumIndicators(), 3);
    EXPECT_EQ(gauge.Indicators().Count(), 3);
}

TEST(DigitalGaugeTest, RebuiltIndicatorsTakeTheGaugeSettings) {
    TDigitalGauge gauge;
    const QColor fore(1, 2, 3), back(4, 5, 6), ground(7, 8, 9);
    gauge.SetDigitForeColor(fore);
    gauge.SetDigitBackColor(back);
    gauge.SetGaugeBackColor(ground);
    gauge.SetNumDigits(3);
    gauge.SetPrecision(2);
    gauge.SetNumIndicators(4);
    for (int i = 0; i < 4; ++i) {
        const TQZLiquidIndicator* indicator = gauge.Indicator(i);
        EXPECT_EQ(indicator->ForeColor(), fore);
        EXPECT_EQ(indicator->Clr(1), fore);
        EXPECT_EQ(indicator->BackColor(), back);
        EXPECT_EQ(indicator->Color(), ground);
        EXPECT_EQ(indicator->NumDigits(), 3);
        EXPECT_EQ(indicator->Precision(), 2);
        EXPECT_EQ(indicator->DisplayKind(), TDisplayKind::String);
        EXPECT_EQ(indicator->BevelInner(), 2);
        EXPECT_EQ(indicator->parentWidget(), &gauge);
    }
}

TEST(DigitalGaugeTest, AssignedTitleLabelCopiesItsText) {
    TDigitalGauge gauge;
    EXPECT_EQ(gauge.Title(), "Title");
    QLabel label(QStringLiteral("Engine RPM"));
    gauge.SetTitleLabel(&label);
    EXPECT_EQ(gauge.Title(), "Engine RPM");
    label.setText(QStringLiteral("changed"));
    EXPECT_EQ(gauge.Title(), "Engine RPM");
}
}  // namespace
