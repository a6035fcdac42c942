#pragma once
#include <QColor>
#include <QWidget>
#include <limits>

#include "Gradientpanel.h"
#include "Locklist.h"
#include "Qzliquidindicator.h"

class QLabel;
class TShadowLabel;

// The indicators of a gauge, guarded by their own mutex; owns them.
class TLiquidIndicatorList : public TOwningLockList<TQZLiquidIndicator> {
public:
    TQZLiquidIndicator* Items(int index) const { return Get(index); }
};

// The no-value mark: a gauge given it shows dashes.
constexpr double KNoValue = std::numeric_limits<double>::max();

// Where the parts of a gauge go: the title strip at the top and the
// indicators side by side below it, and the title font height.
struct TGaugeLayout {
    QRect Title;
    std::vector<QRect> Indicators;
    int TitleFontHeight = 0;
};
TGaugeLayout GaugeLayout(int width, int height, int indicators, int spacing, double titleSize);

// A titled digital gauge of one to nine seven-segment indicators side by side.
class TDigitalGauge : public QWidget {
    Q_OBJECT
public:
    explicit TDigitalGauge(QWidget* parent = nullptr);
    ~TDigitalGauge() override;

    // Shows value on indicator index (ignored outside); KNoValue shows dashes.
    void SetValue(int index, double value);
    // The value last given to indicator index (0 after KNoValue and outside).
    double GetValue(int index) const;

    int NumIndicators() const { return FNumIndicators; }
    void SetNumIndicators(int count);  // 1 to 9, other counts ignored
    int NumDigits() const { return FNumDigits; }
    void SetNumDigits(int digits);
    int Precision() const { return FPrecision; }
    void SetPrecision(int decimals);
    double TitleSize() const { return FTitleSize; }
    void SetTitleSize(double fraction);
    int IndicatorSpacing() const { return FIndicatorSpacing; }
    void SetIndicatorSpacing(int pixels);
    TIndicatorStyle IndicatorStyle() const { return FIndicatorStyle; }
    void SetIndicatorStyle(TIndicatorStyle style);
    QColor DigitForeColor() const { return FDigitForeColor; }
    void SetDigitForeColor(const QColor& color);
    QColor DigitBackColor() const { return FDigitBackColor; }
    void SetDigitBackColor(const QColor& color);
    QColor GaugeBackColor() const { return FGaugeBackColor; }
    void SetGaugeBackColor(const QColor& color);
    const TGradientFill& LMDFillObject() const;
    void SetLMDFillObject(const TGradientFill& fill);

    // The title label inside the strip; assigning a label copies its text.
    TShadowLabel* TitleLabel() const { return FTitleLabel; }
    void SetTitleLabel(const QLabel* label);
    void SetTitle(const QString& text);
    QString Title() const;
    TGradientPanel* TitleStrip() const { return FTitleStrip; }

    TLiquidIndicatorList& Indicators() { return FIndicators; }
    TQZLiquidIndicator* Indicator(int index) const { return FIndicators.Items(index); }

    void Refresh();
    void DoResize();

    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void ApplyToIndicators();

    int FNumIndicators = 0;
    int FNumDigits = 4;
    int FPrecision = 1;
    double FTitleSize = 0.25;
    int FIndicatorSpacing = 5;
    TIndicatorStyle FIndicatorStyle = TIndicatorStyle::Normal;
    QColor FDigitForeColor = QColor(0, 255, 0);
    QColor FDigitBackColor = QColor(13, 13, 13);
    QColor FGaugeBackColor = Qt::black;
    TGradientPanel* FTitleStrip;
    TShadowLabel* FTitleLabel;
    TLiquidIndicatorList FIndicators;
    std::vector<bool> FNoValue;  // per indicator: showing the no-value mark
};
