#include "Shadowlabel.h"

#include <QPainter>

TShadowLabel::TShadowLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
}

void TShadowLabel::SetTextColor(const QColor& color) {
    FTextColor = color;
    update();
}

void TShadowLabel::SetShadowColor(const QColor& color) {
    FShadowColor = color;
    update();
}

void TShadowLabel::SetDepth(int depth) {
    FDepth = std::max(0, depth);
    update();
}

void TShadowLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRect area = contentsRect();
    const int flags = int(alignment()) | (wordWrap() ? Qt::TextWordWrap : 0);
    if (FDepth > 0) {
        painter.setPen(FShadowColor);
        painter.drawText(area.translated(FDepth, FDepth), flags, text());
    }
    painter.setPen(FTextColor);
    painter.drawText(area, flags, text());
}
