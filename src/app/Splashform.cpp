#include "Splashform.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include "Gradientpanel.h"

QString ProgramFolder() { return QCoreApplication::applicationDirPath(); }

TFormSplash::TFormSplash(QWidget* owner, const QString& pictureFolder)
    : TFormBase(owner), FImage(new QLabel(PanelMain())) {
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    FImage->setObjectName(QStringLiteral("Image"));
    const QString file = QDir(pictureFolder.isEmpty() ? ProgramFolder() : pictureFolder).filePath(QStringLiteral("Splash.jpg"));
    QPixmap picture;
    if (QFile::exists(file) && picture.load(file))
        FImage->setPixmap(picture);
    FImage->adjustSize();
    ApplyPanelTheme(PanelMain());
    resize(604, 292);
}

void TFormSplash::PlaceWindow() {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
}

void TFormSplash::resizeEvent(QResizeEvent* event) {
    TFormBase::resizeEvent(event);
    FImage->move((width() - FImage->width()) / 2, (height() - FImage->height()) / 2);
}
