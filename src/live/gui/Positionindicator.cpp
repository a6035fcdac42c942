#include "Positionindicator.h"

#include <QWidget>
#include <algorithm>

#include "Gradientpanel.h"

TPositionIndicator::TPositionIndicator(QWidget* parent) : TRangeIndicator(parent) {
    auto* marker = new TGradientPanel(FBackground);
    TGradientFill fill;
    fill.StartColor = QColor(0, 255, 0);
    fill.EndColor = Qt::black;
    fill.Colors = 256;
    marker->SetFill(fill);
    marker->SetBevelInner(TBevelStyle::Lowered);
    marker->SetBevelColors(Qt::black, Qt::black);
    marker->show();
    FMarker = marker;
}

TGradientPanel* TPositionIndicator::Marker() const { return static_cast<TGradientPanel*>(FMarker.data()); }

void TPositionIndicator::Update() {
    TRangeIndicator::Update();
    if (!FBackground || !FMarker)
        return;
    const double p = ScaleFraction(FPosition);
    const long long x = (long long)TruncateToInt(double(TruncateToInt(FWidth * p)) - FMarkerWidth / 2.0);
    const long long right = (long long)FBackground->width() - FMarkerWidth;
    const int limited = int(std::max(0LL, std::min(x, right)));
    FMarker->setGeometry(limited, 0, FMarkerWidth, FBackground->height());
}

void TPositionIndicator::SetPosition(double position) {
    if (position == FPosition)
        return;
    FPosition = position;
    Update();
}
