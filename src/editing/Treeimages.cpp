#include "Treeimages.h"

#include <QPainter>
#include <QPixmap>

namespace {
constexpr int KSize = 16;

void DrawTable(QPainter& p) {
    p.fillRect(QRect(1, 2, 14, 12), QColor(20, 20, 20));
    p.fillRect(QRect(1, 2, 14, 3), QColor(200, 0, 0));
    p.setPen(QColor(0, 200, 0));
    for (int x = 5; x < 15; x += 4)
        p.drawLine(x, 5, x, 13);
    for (int y = 8; y < 14; y += 3)
        p.drawLine(1, y, 14, y);
    p.setPen(QColor(160, 160, 160));
    p.drawRect(QRect(1, 2, 13, 11));
}

void DrawFolder(QPainter& p) {
    p.setPen(QColor(120, 90, 0));
    p.setBrush(QColor(230, 180, 40));
    p.drawRect(QRect(1, 3, 6, 3));
    p.setBrush(QColor(250, 205, 70));
    p.drawRect(QRect(1, 5, 14, 9));
}

// A sheet with a folded corner in the given colour and a letter mark.
void DrawSheet(QPainter& p, const QColor& band, const QString& mark) {
    const QPolygon sheet({QPoint(3, 1), QPoint(10, 1), QPoint(13, 4), QPoint(13, 15), QPoint(3, 15)});
    p.setPen(QColor(90, 90, 90));
    p.setBrush(QColor(240, 240, 240));
    p.drawPolygon(sheet);
    p.drawLine(10, 1, 10, 4);
    p.drawLine(10, 4, 13, 4);
    p.fillRect(QRect(4, 9, 9, 6), band);
    QFont font;
    font.setPixelSize(6);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(4, 9, 9, 6), Qt::AlignCenter, mark);
}

void DrawDevice(QPainter& p) {
    p.setPen(QColor(150, 150, 150));
    for (int x = 4; x <= 12; x += 4) {
        p.drawLine(x, 0, x, 2);
        p.drawLine(x, 13, x, 15);
    }
    p.setBrush(QColor(30, 30, 30));
    p.drawRect(QRect(1, 2, 14, 11));
    p.fillRect(QRect(4, 5, 8, 5), QColor(200, 0, 0));
}
}  // namespace

QIcon TreeImage(int index) {
    QPixmap picture(KSize, KSize);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    switch (index) {
    case 18: DrawSheet(painter, QColor(0, 120, 200), QStringLiteral("Q")); break;
    case 20: DrawTable(painter); break;
    case 21: DrawFolder(painter); break;
    case 24: DrawSheet(painter, QColor(120, 120, 120), QStringLiteral("O")); break;
    case 26: DrawDevice(painter); break;
    default: return QIcon();
    }
    painter.end();
    return QIcon(picture);
}
