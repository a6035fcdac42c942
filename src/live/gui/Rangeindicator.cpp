#include "Rangeindicator.h"

#include <QWidget>
#include <climits>
#include <cmath>

#include "Gradientpanel.h"
#include "Swsetup.h"

namespace {
QWidget* MakePanel(QWidget* parent, const QColor& color) {
    auto* panel = new QWidget(parent);
    panel->setAutoFillBackground(true);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, color);
    panel->setPalette(palette);
    panel->show();
    return panel;
}
}  // namespace

int TruncateToInt(double value) {
    if (std::isnan(value))
        return 0;
    if (value >= double(INT_MAX))
        return INT_MAX;
    if (value <= double(INT_MIN))
        return INT_MIN;
    return int(value);
}

TRangeIndicator::TRangeIndicator(QWidget* parent)
    : FBackground(MakePanel(parent, QColor(0x80, 0x80, 0x80))),
      FRangeBar(MakePanel(FBackground, ToQColor(ThemeSetup().ButtonTextColor))) {}

TRangeIndicator::~TRangeIndicator() { delete FBackground.data(); }

void TRangeIndicator::Layout() {
    if (FBackground)
        FBackground->setGeometry(FLeft, FTop, FWidth, FHeight);
    Update();
}

double TRangeIndicator::ScaleFraction(double value) const {
    const double d = FScaleMax - FScaleMin;
    return d == 0 ? 0 : (value - FScaleMin) / d;
}

void TRangeIndicator::Update() {
    if (!FBackground || !FRangeBar)
        return;
    const double w = FBackground->width(), h = FBackground->height();
    const int top = TruncateToInt(h / 2 - FBarHeight / 2.0);
    const int left = TruncateToInt(w * ScaleFraction(FRangeLow));
    const int right = TruncateToInt(w * ScaleFraction(FRangeHigh));
    const long long width = (long long)right - left;
    FRangeBar->setGeometry(left, top, width < 0 ? 0 : int(std::min<long long>(width, INT_MAX)), FBarHeight);
}

void TRangeIndicator::SetInt(int& field, int value) {
    if (field == value)
        return;
    field = value;
    Layout();
}

void TRangeIndicator::SetDouble(double& field, double value) {
    if (field == value)
        return;
    field = value;
    Update();
}

void TRangeIndicator::SetTop(int top) { SetInt(FTop, top); }
void TRangeIndicator::SetLeft(int left) { SetInt(FLeft, left); }
void TRangeIndicator::SetWidth(int width) { SetInt(FWidth, width); }
void TRangeIndicator::SetHeight(int height) { SetInt(FHeight, height); }
void TRangeIndicator::SetScaleMin(double value) { SetDouble(FScaleMin, value); }
void TRangeIndicator::SetScaleMax(double value) { SetDouble(FScaleMax, value); }
void TRangeIndicator::SetRangeLow(double value) { SetDouble(FRangeLow, value); }
void TRangeIndicator::SetRangeHigh(double value) { SetDouble(FRangeHigh, value); }
