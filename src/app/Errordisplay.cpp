#include "Errordisplay.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

#include "Swsetup.h"

namespace {
TErrorDisplay& CustomDisplay() {
    static TErrorDisplay display;
    return display;
}

bool CanShowBoxes() {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return false;
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

void StandardDisplay(const QString& text, const QString& caption) {
    if (CanShowBoxes()) {
        QMessageBox::critical(QApplication::activeWindow(), caption, DisplayText(text));
        return;
    }
    std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(DisplayText(text)));
    std::fflush(stderr);
}

QString ExceptionCaption() {
    return SWSetup ? SWSetup->Title : QStringLiteral("Error");
}
}  // namespace

void SetErrorDisplay(TErrorDisplay display) { CustomDisplay() = std::move(display); }

void ShowErrorMessage(const QString& text, const QString& caption) {
    if (CustomDisplay())
        CustomDisplay()(text, caption);
    else
        StandardDisplay(text, caption);
}

void ShowException(const std::exception& error) {
    ShowErrorMessage(QString::fromLocal8Bit(error.what()), ExceptionCaption());
}

void ShowUnknownException() {
    ShowErrorMessage(QStringLiteral("An unexpected error occurred."), ExceptionCaption());
}

QString DisplayText(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}
