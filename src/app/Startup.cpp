#include "Startup.h"

#include <QApplication>
#include <QEvent>
#include <QThread>

#include "Errordisplay.h"
#include "Splashwindow.h"
#include "Swsetup.h"

namespace {
// Destroys the splash window when the watched main window is first shown.
class TSplashCloser : public QObject {
public:
    TSplashCloser(QWidget& mainWindow, std::unique_ptr<QWidget> splash)
        : FMainWindow(mainWindow), FSplash(std::move(splash)) {
        FMainWindow.installEventFilter(this);
    }
    ~TSplashCloser() override { FMainWindow.removeEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &FMainWindow && event->type() == QEvent::Show)
            FSplash.reset();
        return false;
    }

private:
    QWidget& FMainWindow;
    std::unique_ptr<QWidget> FSplash;
};

std::unique_ptr<QWidget> ShowSplash(const TStartupHooks& hooks) {
    std::unique_ptr<QWidget> splash = hooks.CreateSplash ? hooks.CreateSplash() : nullptr;
    if (splash) {
        splash->show();
        splash->repaint();
        QApplication::processEvents();
    }
    hooks.Pause(KSplashTime);
    return splash;
}

int RunGuarded(const TStartupHooks& hooks) {
    TAppInstance guard(hooks.InstanceName, hooks.LockFolder);
    if (!guard.IsFirstInstance()) {
        ShowErrorMessage(KSecondInstanceText, KSecondInstanceCaption);
        return 0;
    }
    std::unique_ptr<QWidget> mainWindow = hooks.CreateMainWindow();
    SetApplicationTitle(SWSetup ? SWSetup->Title : QString());
    TSplashCloser splashCloser(*mainWindow, ShowSplash(hooks));
    mainWindow->show();
    hooks.RunLoop();
    return 0;  // the main window goes first, then the guard
}
}  // namespace

std::function<std::unique_ptr<QWidget>()> TStartupHooks::CreateSplashWindowHook() {
    return [] { return CreateSplashWindow(); };
}

void TStartupHooks::BlockingPause(std::chrono::milliseconds time) {
    QThread::msleep(static_cast<unsigned long>(time.count()));
}

int TStartupHooks::RunMessageLoop() { return QApplication::exec(); }

namespace {
QString& ApplicationTitleText() {
    static QString title;
    return title;
}
}  // namespace

void SetApplicationTitle(const QString& title) {
    ApplicationTitleText() = title;
    if (!title.isEmpty())
        QCoreApplication::setApplicationName(title);
}

QString ApplicationTitle() { return ApplicationTitleText(); }

int RunStartup(const TStartupHooks& hooks) {
    try {
        SetApplicationTitle(QString());
        return RunGuarded(hooks);
    } catch (const std::exception& error) {
        ShowException(error);
    } catch (...) {
        ShowUnknownException();
    }
    return 0;
}
