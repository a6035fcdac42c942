#include "Gradientpanel.h"

#include <QPainter>
#include <algorithm>

#include "Swsetup.h"

const TSWSetup& ThemeSetup() {
    static const TSWSetup defaults;
    return SWSetup ? *SWSetup : defaults;
}

TGradientPanel::TGradientPanel(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TGradientPanel::SetFill(const TGradientFill& fill) {
    FFill = fill;
    FFill.Colors = std::clamp(fill.Colors, 1, 256);
    update();
}

void TGradientPanel::SetGradient(const QColor& start, const QColor& end) {
    TGradientFill fill = FFill;
    fill.StartColor = start;
    fill.EndColor = end;
    SetFill(fill);
}

void TGradientPanel::SetBevelOuter(TBevelStyle style) {
    FBevelOuter = style;
    update();
}

void TGradientPanel::SetBevelInner(TBevelStyle style) {
    FBevelInner = style;
    update();
}

void TGradientPanel::SetBevelColors(const QColor& light, const QColor& dark) {
    FBevelLight = light;
    FBevelDark = dark;
    update();
}

int TGradientPanel::BevelExtent() const {
    return (FBevelOuter != TBevelStyle::None ? 1 : 0) + (FBevelInner != TBevelStyle::None ? 1 : 0);
}

QColor TGradientPanel::StepColor(int step) const {
    const int last = FFill.Colors - 1;
    if (last <= 0)
        return FFill.StartColor;
    step = std::clamp(step, 0, last);
    auto mix = [&](int a, int b) { return a + (b - a) * step / last; };
    return QColor(mix(FFill.StartColor.red(), FFill.EndColor.red()),
                  mix(FFill.StartColor.green(), FFill.EndColor.green()),
                  mix(FFill.StartColor.blue(), FFill.EndColor.blue()));
}

void TGradientPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QRect area = rect();
    PaintFill(painter, area);
    PaintBevel(painter, area, FBevelOuter);
    PaintBevel(painter, area, FBevelInner);
}

void TGradientPanel::PaintFill(QPainter& painter, const QRect& area) const {
    const bool vertical = FFill.Direction == Qt::Vertical;
    const int length = vertical ? area.height() : area.width();
    const int steps = std::max(1, std::min(FFill.Colors, length));
    for (int i = 0; i < steps; ++i) {
        const int from = length * i / steps;
        const int to = length * (i + 1) / steps;
        const int step = steps == 1 ? 0 : i * (FFill.Colors - 1) / (steps - 1);
        const QRect band = vertical ? QRect(area.left(), area.top() + from, area.width(), to - from)
                                    : QRect(area.left() + from, area.top(), to - from, area.height());
        painter.fillRect(band, StepColor(step));
    }
}

void TGradientPanel::PaintBevel(QPainter& painter, QRect& area, TBevelStyle style) const {
    if (style == TBevelStyle::None || area.width() < 2 || area.height() < 2)
        return;
    const QColor topLeft = style == TBevelStyle::Raised ? FBevelLight : FBevelDark;
    const QColor bottomRight = style == TBevelStyle::Raised ? FBevelDark : FBevelLight;
    painter.fillRect(QRect(area.left(), area.top(), area.width(), 1), topLeft);
    painter.fillRect(QRect(area.left(), area.top(), 1, area.height()), topLeft);
    painter.fillRect(QRect(area.left(), area.bottom(), area.width(), 1), bottomRight);
    painter.fillRect(QRect(area.right(), area.top(), 1, area.height()), bottomRight);
    area.adjust(1, 1, -1, -1);
}

void ApplyPanelTheme(TGradientPanel* panel) {
    const TSWSetup& setup = ThemeSetup();
    panel->SetGradient(ToQColor(setup.BackgroundLightColor), ToQColor(setup.BackgroundDarkColor));
    panel->SetBevelOuter(TBevelStyle::Raised);
    panel->SetBevelInner(TBevelStyle::Lowered);
    panel->SetBevelColors(ToQColor(setup.PanelBevelLightColor), ToQColor(setup.PanelBevelDarkColor));
}
