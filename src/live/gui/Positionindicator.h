#pragma once
#include "Rangeindicator.h"

class TGradientPanel;

// A range indicator with a marker at Position: a lime-to-black bar
// MarkerWidth pixels wide and as high as the background, kept inside it.
class TPositionIndicator : public TRangeIndicator {
public:
    explicit TPositionIndicator(QWidget* parent);

    void Update() override;
    void SetPosition(double position);
    double Position() const { return FPosition; }
    TGradientPanel* Marker() const;

protected:
    int FMarkerWidth = 10;
    double FPosition = 0;
    QPointer<QWidget> FMarker;
};
