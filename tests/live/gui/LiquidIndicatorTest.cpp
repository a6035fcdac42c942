#include <gtest/gtest.h>

#include <QImage>

#include "Qzliquidindicator.h"

namespace {
struct TFormatCase {
    double Value;
    int Decimals;
    const char* Text;
};

class FormatFixedTest : public ::testing::TestWithParam<TFormatCase> {};

TEST_P(FormatFixedTest, RoundsHalfAwayFromZeroOnTheDecimalForm) {
    const TFormatCase& c = GetParam();
    EXPECT_EQ(FormatFixed(c.Value, c.Decimals), QString::fromLatin1(c.Text));
}

INSTANTIATE_TEST_SUITE_P(Cases, FormatFixedTest,
                         ::testing::Values(TFormatCase{12.345, 1, "12.3"}, TFormatCase{12.345, 0, "12"},
                                           TFormatCase{12.345, 2, "12.35"}, TFormatCase{12.0, 3, "12.000"},
                                           TFormatCase{9.96, 1, "10.0"}, TFormatCase{0.5, 0, "1"},
                                           TFormatCase{-2.5, 0, "-3"}, TFormatCase{-0.04, 1, "0.0"},
                                           TFormatCase{-7.125, 2, "-7.13"}, TFormatCase{3.0, -2, "3"},
                                           TFormatCase{1e20, 0, "100000000000000000000"},
                                           TFormatCase{0.30000000000000004, 2, "0.30"}));

TEST(FormatFixedTest, UsesTheGivenDecimalSeparator) { EXPECT_EQ(FormatFixed(1.5, 1, u','), "1,5"); }

struct TCellsCase {
    const char* Text;
    int Cells;
    const char* Expected;  // one character per cell, '.' after a cell with its point
};

QString CellsText(const std::vector<TSegmentCell>& cells) {
    QString out;
    for (const TSegmentCell& cell : cells) {
        QChar c = u'?';
        for (QChar candidate : QStringLiteral(" 0123456789-"))
            if (SegmentsOf(candidate) == cell.Segments)
                c = candidate;
        out += c;
        if (cell.Point)
            out += u'.';
    }
    return out;
}

class LayoutCellsTest : public ::testing::TestWithParam<TCellsCase> {};

TEST_P(LayoutCellsTest, FitsTextOnTheCells) {
    const TCellsCase& c = GetParam();
    const std::vector<TSegmentCell> cells = LayoutCells(QString::fromLatin1(c.Text), c.Cells);
    EXPECT_EQ(int(cells.size()), c.Cells);
    EXPECT_EQ(CellsText(cells), QString::fromLatin1(c.Expected));
}

INSTANTIATE_TEST_SUITE_P(Cases, LayoutCellsTest,
                         ::testing::Values(TCellsCase{"12.3", 4, " 12.3"}, TCellsCase{"12.345", 4, "12.34"},
                                           TCellsCase{"123.4", 3, "123"}, TCellsCase{"12345", 4, "2345"},
                                           TCellsCase{"----------------", 5, "-----"},
                                           TCellsCase{"-0.5", 3, "-0.5"}, TCellsCase{"", 2, "  "},
                                           TCellsCase{"1..2", 3, "1. .2"}));

TEST(SegmentsTest, DigitsHaveTheirSegments) {
    EXPECT_EQ(SegmentsOf(u'8'), 0x7F);
    EXPECT_EQ(SegmentsOf(u'1'), 0x06);  // b and c: the right-hand bars
    EXPECT_EQ(SegmentsOf(u'-'), 0x40);  // g: the middle bar
    EXPECT_EQ(SegmentsOf(u'E'), SegmentsOf(u'e'));
    EXPECT_EQ(SegmentsOf(u'#'), 0);
}

// Counts pixels of colour c in the left and right halves of the image.
std::pair<int, int> CountPixels(const QImage& image, const QColor& c) {
    int left = 0, right = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == c)
                ++(x < image.width() / 2 ? left : right);
    return {left, right};
}

QImage Render(TQZLiquidIndicator& indicator, const QString& text) {
    indicator.SetDisplayString(text);
    indicator.resize(60, 100);
    return indicator.grab().toImage();
}

TEST(LiquidIndicatorTest, DrawsLitAndUnlitSegments) {
    TQZLiquidIndicator indicator;
    indicator.SetDisplayKind(TDisplayKind::String);
    indicator.SetNumDigits(1);
    const QColor lit(0, 255, 0), unlit(60, 60, 200);
    indicator.SetClr(1, lit);
    indicator.SetBackColor(unlit);
    const auto [eightLeft, eightRight] = CountPixels(Render(indicator, QStringLiteral("8")), lit);
    EXPECT_GT(eightLeft, 100);
    EXPECT_GT(eightRight, 100);
    const auto [blankLeft, blankRight] = CountPixels(Render(indicator, QStringLiteral(" ")), lit);
    EXPECT_EQ(blankLeft + blankRight, 0);
    const auto [unlitLeft, unlitRight] = CountPixels(Render(indicator, QStringLiteral(" ")), unlit);
    EXPECT_GT(unlitLeft, 100);
    EXPECT_GT(unlitRight, 100);
    const auto [oneLeft, oneRight] = CountPixels(Render(indicator, QStringLiteral("1")), lit);
    EXPECT_EQ(oneLeft, 0);
    EXPECT_GT(oneRight, 100);
}

TEST(LiquidIndicatorTest, NumberModeFormatsAndWidensTheDigits) {
    TQZLiquidIndicator indicator;
    indicator.SetNumDigits(2);
    indicator.SetPrecision(1);
    indicator.SetSignNumberAuto(true);
    indicator.SetValue(12345.67);
    EXPECT_EQ(indicator.ShownText().size(), 7);
    EXPECT_EQ(indicator.NumDigits(), 6);
    indicator.SetValue(1);
    EXPECT_EQ(indicator.NumDigits(), 3);  // not below SignNumberAutoMin
    indicator.SetPrecision(-1);
    EXPECT_EQ(indicator.Precision(), 0);
    EXPECT_EQ(indicator.ShownText(), "1");
}

TEST(LiquidIndicatorTest, StringModeShowsTheStringAndRecordsTheValue) {
    TQZLiquidIndicator indicator;
    indicator.SetDisplayKind(TDisplayKind::String);
    indicator.SetValue(4.5);
    EXPECT_EQ(indicator.ShownText(), "----");
    EXPECT_EQ(indicator.CurValue(), 4.5);
}

TEST(LiquidIndicatorTest, AveragingTakesTheMeanOfTheLastValues) {
    TQZLiquidIndicator indicator;
    indicator.SetAveraging(3);
    indicator.SetAveraging(21);  // ignored
    indicator.SetAveragingOn(true);
    for (double v : {1.0, 2.0, 3.0, 4.0})
        indicator.SetValue(v);
    EXPECT_DOUBLE_EQ(indicator.CurValue(), 3.0);
    indicator.SetAveragingOn(false);
    indicator.SetValue(10);
    EXPECT_DOUBLE_EQ(indicator.CurValue(), 10.0);
}

struct TBandCase {
    double Rng1, Rng2, Rng3, Value;
    int Band;
};

class BandColorTest : public ::testing::TestWithParam<TBandCase> {};

TEST_P(BandColorTest, PicksTheBandOfTheValue) {
    const TBandCase& c = GetParam();
    TQZLiquidIndicator indicator;
    const QColor colors[] = {QColor(1, 1, 1), QColor(2, 2, 2), QColor(3, 3, 3), QColor(4, 4, 4)};
    for (int band = 1; band <= 4; ++band)
        indicator.SetClr(band, colors[band - 1]);
    indicator.SetRng1(c.Rng1);
    indicator.SetRng2(c.Rng2);
    indicator.SetRng3(c.Rng3);
    indicator.SetValue(c.Value);
    EXPECT_EQ(indicator.BandColor(), colors[c.Band - 1]);
    EXPECT_EQ(indicator.ForeColor(), colors[c.Band - 1]);
}

INSTANTIATE_TEST_SUITE_P(Cases, BandColorTest,
                         ::testing::Values(TBandCase{10, 20, 30, 5, 1}, TBandCase{10, 20, 30, 15, 2},
                                           TBandCase{10, 20, 30, 25, 3}, TBandCase{10, 20, 30, 35, 4},
                                           TBandCase{10, 20, 30, 10, 1},
                                           TBandCase{0, 0, 0, 50, 1},     // no limits set
                                           TBandCase{10, 5, 30, 35, 4}));  // Rng2 reset below Rng1; Rng3 counts

TEST(BandLimitsTest, LimitsBelowTheLowerOnesResetToMinValue) {
    TQZLiquidIndicator indicator;
    indicator.SetMinValue(-1);
    indicator.SetRng1(10);
    indicator.SetRng2(20);
    indicator.SetRng3(30);
    indicator.SetRng1(25);  // Rng2 now below Rng1: both upper limits reset
    EXPECT_EQ(indicator.Rng2(), -1);
    EXPECT_EQ(indicator.Rng3(), -1);
    indicator.SetRng2(40);
    indicator.SetRng3(35);  // below Rng2
    EXPECT_EQ(indicator.Rng3(), -1);
}
}  // namespace
