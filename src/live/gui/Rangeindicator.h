#pragma once
#include <QPointer>

class QWidget;

// Truncates toward zero into int, saturating at the int range; NaN gives 0.
int TruncateToInt(double value);

// A horizontal bar on a grey background showing the range RangeLow..
// RangeHigh of a scale ScaleMin..ScaleMax. Places two panels on its parent.
class TRangeIndicator {
public:
    explicit TRangeIndicator(QWidget* parent);
    virtual ~TRangeIndicator();
    TRangeIndicator(const TRangeIndicator&) = delete;
    TRangeIndicator& operator=(const TRangeIndicator&) = delete;

    virtual void Update();
    virtual void Layout();

    void SetTop(int top);
    void SetLeft(int left);
    void SetWidth(int width);
    void SetHeight(int height);
    void SetScaleMin(double value);
    void SetScaleMax(double value);
    void SetRangeLow(double value);
    void SetRangeHigh(double value);

    QWidget* Background() const { return FBackground; }
    QWidget* RangeBar() const { return FRangeBar; }

protected:
    // Where value falls on the scale, 0 at ScaleMin and 1 at ScaleMax (0
    // for an empty scale).
    double ScaleFraction(double value) const;

    int FBarHeight = 10;
    double FRangeLow = 0;
    double FRangeHigh = 0;
    int FTop = 0;
    int FLeft = 0;
    int FHeight = 0;
    int FWidth = 0;
    double FScaleMax = 0;
    double FScaleMin = 0;
    QPointer<QWidget> FBackground;
    QPointer<QWidget> FRangeBar;

private:
    void SetInt(int& field, int value);
    void SetDouble(double& field, double value);
};
