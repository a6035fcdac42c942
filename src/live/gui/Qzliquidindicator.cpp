#include "Qzliquidindicator.h"

#include <QLocale>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace {
// Adds one unit to the last digit of a digit string, carrying leftwards.
void RoundUp(std::string& digits) {
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return;
        }
        *it = '0';
    }
    digits.insert(digits.begin(), '1');
}
}  // namespace

QString FormatFixed(double value, int decimals, QChar point) {
    decimals = std::max(decimals, 0);
    if (!std::isfinite(value))
        return QString();
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::fixed);
    const std::string text(buffer, result.ptr);
    const auto dot = text.find('.');
    std::string whole = text.substr(0, dot);
    std::string fraction = dot == std::string::npos ? std::string() : text.substr(dot + 1);
    const bool up = int(fraction.size()) > decimals && fraction[std::size_t(decimals)] >= '5';
    fraction.resize(std::size_t(decimals), '0');
    std::string digits = whole + fraction;
    if (up)
        RoundUp(digits);
    whole = digits.substr(0, digits.size() - fraction.size());
    fraction = digits.substr(whole.size());
    const bool zero = digits.find_first_not_of('0') == std::string::npos;
    QString out = QString::fromLatin1(whole);
    if (decimals > 0)
        out += point + QString::fromLatin1(fraction);
    return value < 0 && !zero ? u'-' + out : out;
}

TQZLiquidIndicator::TQZLiquidIndicator(QWidget* parent) : TLiquidIndicator(parent) {
    UpdateText();
    UpdateColor();
}

void TQZLiquidIndicator::SetDisplayKind(TDisplayKind kind) {
    FDisplayKind = kind;
    UpdateText();
}

void TQZLiquidIndicator::SetDisplayString(const QString& text) {
    FDisplayString = text;
    UpdateText();
}

void TQZLiquidIndicator::SetValue(double value) {
    FHistory[std::size_t(FHistoryNext)] = value;
    FHistoryNext = (FHistoryNext + 1) % int(FHistory.size());
    FHistoryCount = std::min(FHistoryCount + 1, int(FHistory.size()));
    FCurValue = FAveragingOn ? Mean() : value;
    UpdateText();
    UpdateColor();
}

double TQZLiquidIndicator::Mean() const {
    const int count = std::min(FAveraging, FHistoryCount);
    if (count <= 0)
        return 0;
    double sum = 0;
    for (int i = 1; i <= count; ++i)
        sum += FHistory[std::size_t((FHistoryNext - i + int(FHistory.size())) % int(FHistory.size()))];
    return sum / count;
}

void TQZLiquidIndicator::SetPrecision(int decimals) {
    FPrecision = std::max(decimals, 0);
    UpdateText();
}

void TQZLiquidIndicator::SetRng1(double limit) {
    FRng1 = limit;
    if (FRng2 < FRng1) {
        FRng2 = FMinValue;
        FRng3 = FMinValue;
    }
    UpdateColor();
}

void TQZLiquidIndicator::SetRng2(double limit) {
    FRng2 = limit < FRng1 ? FMinValue : limit;
    if (FRng3 < FRng2)
        FRng3 = FMinValue;
    UpdateColor();
}

void TQZLiquidIndicator::SetRng3(double limit) {
    FRng3 = limit < FRng1 || limit < FRng2 ? FMinValue : limit;
    UpdateColor();
}

QColor TQZLiquidIndicator::Clr(int band) const {
    return band >= 1 && band <= 4 ? FClr[std::size_t(band - 1)] : QColor();
}

void TQZLiquidIndicator::SetClr(int band, const QColor& color) {
    if (band < 1 || band > 4)
        return;
    FClr[std::size_t(band - 1)] = color;
    UpdateColor();
}

void TQZLiquidIndicator::SetMinValue(double value) {
    FMinValue = value;
    UpdateColor();
}

QColor TQZLiquidIndicator::BandColor() const {
    const double v = FCurValue;
    if (FRng3 > FRng2 && FRng3 < v)
        return FClr[3];
    if (FRng2 > FRng1 && FRng2 < v)
        return FClr[2];
    if (FRng1 > FMinValue && v > FRng1)
        return FClr[1];
    return FClr[0];
}

void TQZLiquidIndicator::SetAveraging(int window) {
    if (window >= 1 && window <= 20)
        FAveraging = window;
}

void TQZLiquidIndicator::SetAveragingOn(bool on) { FAveragingOn = on; }

void TQZLiquidIndicator::SetSignNumberAuto(bool on) {
    FSignNumberAuto = on;
    UpdateText();
}

void TQZLiquidIndicator::SetSignNumberAutoMin(int digits) {
    FSignNumberAutoMin = digits;
    UpdateText();
}

void TQZLiquidIndicator::UpdateColor() { SetForeColor(BandColor()); }

void TQZLiquidIndicator::UpdateText() {
    if (FDisplayKind == TDisplayKind::String) {
        SetShownText(FDisplayString);
        return;
    }
    const QString text = FormatFixed(FCurValue, FPrecision, QLocale().decimalPoint().at(0));
    if (FSignNumberAuto) {
        int cells = 0;
        for (QChar c : text)
            cells += c == u'.' || c == u',' ? 0 : 1;
        SetNumDigits(std::max(cells, FSignNumberAutoMin));
    }
    SetShownText(text);
}
