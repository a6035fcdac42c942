#include "Rotatelabel.h"

#include <QFontMetrics>
#include <QPainter>
#include <cmath>

namespace {
double OrientationRadians(int orientation) { return (orientation / 10) * 0.01745; }
}  // namespace

QPoint RotatedTextOrigin(int width, int height, int textWidth, int textHeight, int orientation) {
    const double a = OrientationRadians(orientation);
    const double x = (width - (textWidth * std::cos(a) + textHeight * std::sin(a))) / 2;
    const double y = (textWidth * std::sin(a) - textHeight * std::cos(a) + height) / 2;
    return QPoint(int(x), int(y));
}

TRotateLabel::TRotateLabel(QWidget* owner) : QLabel(owner) {
    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TRotateLabel::SetOrientation(int tenths) {
    FOrientation = tenths;
    QFont drawing = font();
    drawing.setStyleStrategy(QFont::StyleStrategy(drawing.styleStrategy() | QFont::ForceOutline));
    QLabel::setFont(drawing);
    update();
}

void TRotateLabel::SetFont(const QFont& font) {
    QLabel::setFont(font);
    if (FOrientation > 0)
        SetOrientation(FOrientation);
    update();
}

void TRotateLabel::SetColor(const QColor& color) {
    FColor = color;
    update();
}

void TRotateLabel::SetFontColor(const QColor& color) {
    FFontColor = color;
    update();
}

void TRotateLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), FColor);
    painter.setFont(font());
    painter.setPen(FFontColor);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QFontMetrics metrics(font());
    const int tw = metrics.horizontalAdvance(text());
    const int th = metrics.height();  // the height of "W": one line of the font
    const QPoint origin = RotatedTextOrigin(width(), height(), tw, th, FOrientation);
    painter.translate(origin);
    painter.rotate(-(FOrientation / 10));
    painter.drawText(QPoint(0, metrics.ascent()), text());
}
