#include "Digitalgauge.h"

#include <QLabel>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "Shadowlabel.h"

namespace {
const QString KDashes = QStringLiteral("----------------");

int TruncToPixels(double value) {
    if (!(value > 0))
        return 0;
    return value >= 1e6 ? 1000000 : int(value);
}

double TitleFontFactor(int width, int title) {
    if (width == 0)
        return 0.9;
    const double r = double(title) / width;
    return r <= 0.125 ? 0.9 : 0.9 - std::min((r - 0.125) * 2, 0.6);
}
}  // namespace

TGaugeLayout GaugeLayout(int width, int height, int indicators, int spacing, double titleSize) {
    TGaugeLayout layout;
    const int title = TruncToPixels(height * titleSize);
    layout.Title = QRect(0, 0, width, title);
    int remaining = width - (indicators - 1) * spacing;
    int left = 0;
    for (int i = 0; i < indicators; ++i) {
        const int w = remaining / (indicators - i);
        layout.Indicators.emplace_back(left, title, w, height - title);
        left += w + spacing;
        remaining -= w;
    }
    layout.TitleFontHeight = TruncToPixels(title * TitleFontFactor(width, title));
    return layout;
}

TDigitalGauge::TDigitalGauge(QWidget* parent)
    : QWidget(parent), FTitleStrip(new TGradientPanel(this)), FTitleLabel(new TShadowLabel(QStringLiteral("Title"), FTitleStrip)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    FTitleLabel->setAlignment(Qt::AlignCenter);
    FTitleLabel->SetDepth(1);
    SetNumIndicators(1);
}

TDigitalGauge::~TDigitalGauge() { FIndicators.Clear(); }

void TDigitalGauge::SetValue(int index, double value) {
    TQZLiquidIndicator* indicator = FIndicators.Items(index);
    if (!indicator)
        return;
    const bool noValue = value == KNoValue || !std::isfinite(value);
    FNoValue[std::size_t(index)] = noValue;
    indicator->SetValue(noValue ? 0 : value);
    indicator->SetDisplayString(noValue ? KDashes : FormatFixed(value, FPrecision));
}

double TDigitalGauge::GetValue(int index) const {
    const TQZLiquidIndicator* indicator = FIndicators.Items(index);
    return indicator ? indicator->CurValue() : 0;
}

void TDigitalGauge::SetNumIndicators(int count) {
    if (count == FNumIndicators || count < 1 || count > 9)
        return;
    {
        std::lock_guard<std::recursive_mutex> guard(FIndicators.Mutex());
        FIndicators.Clear();
        for (int i = 0; i < count; ++i) {
            auto* indicator = new TQZLiquidIndicator(this);
            indicator->SetBevelInner(2);
            indicator->SetDisplayKind(TDisplayKind::String);
            indicator->show();
            FIndicators.Append(indicator);
        }
        FNumIndicators = count;
        FNoValue.assign(std::size_t(count), false);
    }
    ApplyToIndicators();
    Refresh();
}

void TDigitalGauge::ApplyToIndicators() {
    for (TQZLiquidIndicator* indicator : FIndicators.Snapshot()) {
        indicator->SetColor(FGaugeBackColor);
        indicator->SetForeColor(FDigitForeColor);
        indicator->SetClr(1, FDigitForeColor);
        indicator->SetBackColor(FDigitBackColor);
        indicator->SetStyle(FIndicatorStyle);
        indicator->SetNumDigits(FNumDigits);
        indicator->SetPrecision(FPrecision);
    }
}

void TDigitalGauge::SetNumDigits(int digits) {
    FNumDigits = std::clamp(digits, 1, 32);
    for (TQZLiquidIndicator* indicator : FIndicators.Snapshot())
        if (indicator->NumDigits() != FNumDigits)
            indicator->SetNumDigits(FNumDigits);
    Refresh();
}

void TDigitalGauge::SetPrecision(int decimals) {
    FPrecision = std::max(decimals, 0);
    for (int i = 0; i < FNumIndicators; ++i) {
        TQZLiquidIndicator* indicator = FIndicators.Items(i);
        indicator->SetPrecision(FPrecision);
        SetValue(i, FNoValue[std::size_t(i)] ? KNoValue : indicator->CurValue());
    }
}

void TDigitalGauge::SetTitleSize(double fraction) {
    if (fraction == FTitleSize)
        return;
    FTitleSize = fraction;
    DoResize();
}

void TDigitalGauge::SetIndicatorSpacing(int pixels) {
    if (pixels == FIndicatorSpacing)
        return;
    FIndicatorSpacing = pixels;
    DoResize();
}

void TDigitalGauge::SetIndicatorStyle(TIndicatorStyle style) {
    FIndicatorStyle = style;
    for (TQZLiquidIndicator* indicator : FIndicators.Snapshot())
        indicator->SetStyle(style);
    update();
}

void TDigitalGauge::SetDigitForeColor(const QColor& color) {
    FDigitForeColor = color;
    for (TQZLiquidIndicator* indicator : FIndicators.Snapshot()) {
        indicator->SetForeColor(color);
        indicator->SetClr(1, color);
    }
    Refresh();
}

void TDigitalGauge::SetDigitBackColor(const QColor& color) {
    FDigitBackColor = color;
    for (TQZLiquidIndicator* indicator : FIndicators.Snapshot())
        indicator->SetBackColor(color);
    Refresh();
}

void TDigitalGauge::SetGaugeBackColor(const QColor& color) {
    FGaugeBackColor = color;
    for (TQZLiquidIndicator* indicator : FIndicators.Snapshot())
        indicator->SetColor(color);
    Refresh();
}

const TGradientFill& TDigitalGauge::LMDFillObject() const { return FTitleStrip->Fill(); }

void TDigitalGauge::SetLMDFillObject(const TGradientFill& fill) { FTitleStrip->SetFill(fill); }

void TDigitalGauge::SetTitleLabel(const QLabel* label) {
    if (label)
        SetTitle(label->text());
}

void TDigitalGauge::SetTitle(const QString& text) { FTitleLabel->setText(text); }

QString TDigitalGauge::Title() const { return FTitleLabel->text(); }

void TDigitalGauge::Refresh() {
    DoResize();
    update();
    for (TQZLiquidIndicator* indicator : FIndicators.Snapshot())
        indicator->update();
    FTitleStrip->update();
    FTitleLabel->update();
}

void TDigitalGauge::DoResize() {
    const TGaugeLayout layout = GaugeLayout(width(), height(), FNumIndicators, FIndicatorSpacing, FTitleSize);
    FTitleStrip->setGeometry(layout.Title);
    FTitleLabel->setGeometry(FTitleStrip->rect());
    if (layout.TitleFontHeight > 0) {
        QFont font = FTitleLabel->font();
        font.setPixelSize(layout.TitleFontHeight);
        FTitleLabel->setFont(font);
    }
    for (int i = 0; i < FNumIndicators; ++i)
        FIndicators.Items(i)->setGeometry(layout.Indicators[std::size_t(i)]);
}

QSize TDigitalGauge::sizeHint() const { return QSize(60 + 30 * FNumDigits * FNumIndicators, 80); }

void TDigitalGauge::resizeEvent(QResizeEvent*) { DoResize(); }

void TDigitalGauge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), FGaugeBackColor);
}
