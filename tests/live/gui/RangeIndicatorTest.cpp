#include <gtest/gtest.h>

#include <QWidget>
#include <cmath>
#include <limits>

#include "Gradientpanel.h"
#include "Positionindicator.h"

namespace {
TEST(RangeIndicatorTest, PlacesTheRangeBarOnTheScale) {
    QWidget parent;
    TRangeIndicator indicator(&parent);
    indicator.SetLeft(10);
    indicator.SetTop(5);
    indicator.SetWidth(200);
    indicator.SetHeight(30);
    indicator.SetScaleMin(0);
    indicator.SetScaleMax(5);
    indicator.SetRangeLow(1);
    indicator.SetRangeHigh(4);
    EXPECT_EQ(indicator.Background()->geometry(), QRect(10, 5, 200, 30));
    EXPECT_EQ(indicator.RangeBar()->geometry(), QRect(40, 10, 120, 10));
}

TEST(RangeIndicatorTest, EmptyScaleAndWildValuesGiveAnEmptyBar) {
    QWidget parent;
    TRangeIndicator indicator(&parent);
    indicator.SetWidth(200);
    indicator.SetHeight(20);
    indicator.SetRangeLow(1);
    indicator.SetRangeHigh(4);  // scale 0..0
    EXPECT_EQ(indicator.RangeBar()->geometry(), QRect(0, 5, 0, 10));
    indicator.SetScaleMax(1e-300);
    indicator.SetRangeLow(std::numeric_limits<double>::quiet_NaN());
    indicator.SetRangeHigh(-1e308);
    EXPECT_EQ(indicator.RangeBar()->x(), 0);
    EXPECT_EQ(indicator.RangeBar()->width(), 0);
}

TEST(TruncateToIntTest, SaturatesInsteadOfOverflowing) {
    EXPECT_EQ(TruncateToInt(2.9), 2);
    EXPECT_EQ(TruncateToInt(-2.9), -2);
    EXPECT_EQ(TruncateToInt(1e300), std::numeric_limits<int>::max());
    EXPECT_EQ(TruncateToInt(-1e300), std::numeric_limits<int>::min());
    EXPECT_EQ(TruncateToInt(std::nan("")), 0);
}

struct TMarkerCase {
    double Position;
    int X;
};

class PositionIndicatorTest : public ::testing::TestWithParam<TMarkerCase> {};

TEST_P(PositionIndicatorTest, MarkerStaysInsideTheBackground) {
    QWidget parent;
    TPositionIndicator indicator(&parent);
    indicator.SetWidth(200);
    indicator.SetHeight(24);
    indicator.SetScaleMin(0);
    indicator.SetScaleMax(5);
    indicator.SetPosition(GetParam().Position);
    EXPECT_EQ(indicator.Marker()->geometry(), QRect(GetParam().X, 0, 10, 24));
}

INSTANTIATE_TEST_SUITE_P(Cases, PositionIndicatorTest,
                         ::testing::Values(TMarkerCase{2.5, 95}, TMarkerCase{0.1, 0}, TMarkerCase{5, 190},
                                           TMarkerCase{1e300, 190}, TMarkerCase{-1e300, 0},
                                           TMarkerCase{std::numeric_limits<double>::quiet_NaN(), 0}));

TEST(PositionIndicatorTest, MarkerIsALimeToBlackBar) {
    QWidget parent;
    TPositionIndicator indicator(&parent);
    EXPECT_EQ(indicator.Marker()->Fill().StartColor, QColor(0, 255, 0));
    EXPECT_EQ(indicator.Marker()->Fill().EndColor, QColor(0, 0, 0));
    EXPECT_EQ(indicator.Marker()->parentWidget(), indicator.Background());
}

TEST(RangeIndicatorTest, OutlivingItsParentIsSafe) {
    auto* parent = new QWidget;
    TRangeIndicator indicator(parent);
    delete parent;
    indicator.SetWidth(50);
    EXPECT_EQ(indicator.Background(), nullptr);
}
}  // namespace
