#include "Themegroupbox.h"

#include <QFontMetrics>
#include <QPainter>

#include "Gradientpanel.h"
#include "Swsetup.h"

TThemeGroupBox::TThemeGroupBox(const QString& caption, QWidget* parent) : QWidget(parent), FCaption(caption) {
    QFont bold = font();
    bold.setBold(true);
    setFont(bold);
}

void TThemeGroupBox::SetCaption(const QString& caption) {
    FCaption = caption;
    update();
}

QRect TThemeGroupBox::ContentsArea() const {
    const int top = QFontMetrics(font()).height() + 4;
    return rect().adjusted(8, top, -8, -8);
}

namespace {
// A rectangle outline whose top edge leaves out gapLeft..gapRight.
void DrawFrame(QPainter& painter, const QRect& r, int gapLeft, int gapRight) {
    painter.drawLine(r.left(), r.top(), gapLeft, r.top());
    painter.drawLine(gapRight, r.top(), r.right(), r.top());
    painter.drawLine(r.right(), r.top(), r.right(), r.bottom());
    painter.drawLine(r.right(), r.bottom(), r.left(), r.bottom());
    painter.drawLine(r.left(), r.bottom(), r.left(), r.top());
}
}  // namespace

void TThemeGroupBox::paintEvent(QPaintEvent*) {
    const TSWSetup& setup = ThemeSetup();
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const QRect frame = rect().adjusted(0, metrics.height() / 2, -1, -1);
    const QRect caption(10, 0, metrics.horizontalAdvance(FCaption) + 8, metrics.height());
    painter.setPen(ToQColor(setup.GroupBevelLightColor));
    DrawFrame(painter, frame, caption.left(), caption.right());
    painter.setPen(ToQColor(setup.GroupBevelDarkColor));
    DrawFrame(painter, frame.adjusted(1, 1, -1, -1), caption.left(), caption.right());
    painter.setPen(ToQColor(setup.GroupCaptionShadowColor));
    painter.drawText(caption.translated(1, 1), Qt::AlignCenter, FCaption);
    painter.setPen(ToQColor(setup.GroupCaptionColor));
    painter.drawText(caption, Qt::AlignCenter, FCaption);
}
