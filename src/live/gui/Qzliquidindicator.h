#pragma once
#include <array>

#include "Liquidindicator.h"

enum class TDisplayKind { Number, String };

// Formats value with exactly decimals decimals (negative counts as 0),
// rounding half away from zero on the value's shortest decimal form, so
// 12.345 with 2 decimals reads "12.35". point is the decimal separator.
QString FormatFixed(double value, int decimals, QChar point = u'.');

// The seven-segment indicator of the gauges: shows either its value,
// formatted by itself (number mode), or DisplayString (string mode), with
// the lit segments coloured by the band the value falls in.
class TQZLiquidIndicator : public TLiquidIndicator {
    Q_OBJECT
public:
    explicit TQZLiquidIndicator(QWidget* parent = nullptr);

    TDisplayKind DisplayKind() const { return FDisplayKind; }
    void SetDisplayKind(TDisplayKind kind);
    QString DisplayString() const { return FDisplayString; }
    void SetDisplayString(const QString& text);

    // The value shown (the moving mean while averaging is on).
    double CurValue() const { return FCurValue; }
    void SetValue(double value);
    int Precision() const { return FPrecision; }
    void SetPrecision(int decimals);

    double Rng1() const { return FRng1; }
    double Rng2() const { return FRng2; }
    double Rng3() const { return FRng3; }
    void SetRng1(double limit);
    void SetRng2(double limit);
    void SetRng3(double limit);
    QColor Clr(int band) const;  // band 1 to 4
    void SetClr(int band, const QColor& color);
    double MinValue() const { return FMinValue; }
    void SetMinValue(double value);
    // The colour the lit segments take for the current value.
    QColor BandColor() const;

    int Averaging() const { return FAveraging; }
    void SetAveraging(int window);  // 1 to 20, other values ignored
    bool AveragingOn() const { return FAveragingOn; }
    void SetAveragingOn(bool on);

    bool SignNumberAuto() const { return FSignNumberAuto; }
    void SetSignNumberAuto(bool on);
    int SignNumberAutoMin() const { return FSignNumberAutoMin; }
    void SetSignNumberAutoMin(int digits);

private:
    void UpdateColor();
    void UpdateText();
    double Mean() const;

    TDisplayKind FDisplayKind = TDisplayKind::Number;
    QString FDisplayString = QStringLiteral("----");
    double FCurValue = 0;
    int FPrecision = 1;
    double FRng1 = 0, FRng2 = 0, FRng3 = 0;
    std::array<QColor, 4> FClr = {QColor(0, 255, 0), QColor(255, 255, 0), QColor(255, 0, 0), QColor(255, 0, 0)};
    double FMinValue = 0;
    int FAveraging = 1;
    bool FAveragingOn = false;
    std::array<double, 20> FHistory{};
    int FHistoryCount = 0;
    int FHistoryNext = 0;
    bool FSignNumberAuto = false;
    int FSignNumberAutoMin = 3;
};
