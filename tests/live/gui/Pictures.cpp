// Draws the program's pictures Logo.jpg and Splash.jpg (kept in
// src/app/pictures), and renders the small windows for the screenshots.
#include <QDir>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "Aboutform.h"
#include "Msgform.h"
#include "Splashform.h"

namespace {
// The product mark: "KZD" in slanted bold letters with a red outline glow.
void DrawMark(QPainter& painter, const QRectF& area, double size) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setItalic(true);
    font.setPixelSize(int(size));
    QPainterPath path;
    path.addText(0, 0, font, QStringLiteral("KZD"));
    const QRectF box = path.boundingRect();
    path.translate(area.center() - box.center());
    painter.setRenderHint(QPainter::Antialiasing);
    for (int width = 9; width >= 3; width -= 3) {
        painter.setPen(QPen(QColor(255, 0, 0, 60), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(path);
    }
    QLinearGradient face(path.boundingRect().topLeft(), path.boundingRect().bottomLeft());
    face.setColorAt(0, QColor(235, 235, 235));
    face.setColorAt(1, QColor(140, 140, 140));
    painter.setPen(QPen(QColor(200, 0, 0), 2));
    painter.setBrush(face);
    painter.drawPath(path);
}

void DrawBackground(QPainter& painter, const QRect& area) {
    QLinearGradient fill(area.topLeft(), area.bottomLeft());
    fill.setColorAt(0, QColor(40, 0, 0));
    fill.setColorAt(0.55, QColor(8, 0, 0));
    fill.setColorAt(1, Qt::black);
    painter.fillRect(area, fill);
    painter.setPen(QPen(QColor(160, 0, 0), 2));
    painter.drawLine(area.left() + 12, area.bottom() - 14, area.right() - 12, area.bottom() - 14);
}

bool DrawLogo(const QString& file) {
    QPixmap logo(320, 95);
    QPainter painter(&logo);
    DrawBackground(painter, logo.rect());
    DrawMark(painter, QRectF(0, 0, 320, 80), 62);
    painter.end();
    return logo.save(file, "JPG", 92);
}

bool DrawSplash(const QString& file) {
    QPixmap splash(600, 288);
    QPainter painter(&splash);
    DrawBackground(painter, splash.rect());
    DrawMark(painter, QRectF(0, 20, 600, 170), 130);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(30);
    font.setItalic(true);
    painter.setFont(font);
    painter.setPen(QColor(192, 192, 192));
    painter.drawText(QRect(0, 190, 600, 40), Qt::AlignCenter, QStringLiteral("Control Center"));
    font.setPixelSize(13);
    font.setItalic(false);
    painter.setFont(font);
    painter.setPen(QColor(150, 150, 150));
    painter.drawText(QRect(0, 234, 600, 20), Qt::AlignCenter, QStringLiteral("Fuel and ignition maps  -  live gauges  -  device tools"));
    painter.end();
    return splash.save(file, "JPG", 92);
}
}  // namespace

int DrawPictures(const QString& folder) {
    QDir().mkpath(folder);
    const QDir dir(folder);
    return DrawLogo(dir.filePath(QStringLiteral("Logo.jpg"))) && DrawSplash(dir.filePath(QStringLiteral("Splash.jpg"))) ? 0 : 1;
}

// The small windows with the pictures of pictureFolder.
bool RenderSmallWindows(const QString& folder, const QString& pictureFolder) {
    const QDir dir(folder);
    TFormAbout about(nullptr, nullptr, nullptr, nullptr, pictureFolder);
    about.FormShow();
    bool ok = about.grab().save(dir.filePath(QStringLiteral("about.png")));
    TFormMsg msg;
    msg.SetMessage(QStringLiteral("Receiving Map... [38%]"));
    msg.SetProgress(37.6);
    ok &= msg.grab().save(dir.filePath(QStringLiteral("progress.png")));
    msg.hide();
    TFormSplash splash(nullptr, pictureFolder);
    ok &= splash.grab().save(dir.filePath(QStringLiteral("splash.png")));
    return ok;
}
