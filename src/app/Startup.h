#pragma once
#include <QString>
#include <QWidget>
#include <chrono>
#include <functional>
#include <memory>

#include "Appinstance.h"

// How long the splash window holds the start-up before the message loop.
inline constexpr std::chrono::milliseconds KSplashTime{2000};

// The message a second start shows before it ends.
inline const QString KSecondInstanceText =
    QStringLiteral("This application is currently running.\r\nThis instance will be terminated.");
inline const QString KSecondInstanceCaption = QStringLiteral("Error");

// What the start-up runs; the program takes the defaults, tests replace
// parts (a guard name of their own, a main window, no real pause or loop).
struct TStartupHooks {
    QString InstanceName = TAppInstance::KProgramName;
    QString LockFolder;                                       // empty: the user's runtime folder
    std::function<std::unique_ptr<QWidget>()> CreateMainWindow;  // required
    std::function<std::unique_ptr<QWidget>()> CreateSplash = CreateSplashWindowHook();
    std::function<void(std::chrono::milliseconds)> Pause = BlockingPause;
    std::function<int()> RunLoop = RunMessageLoop;

    static std::function<std::unique_ptr<QWidget>()> CreateSplashWindowHook();
    static void BlockingPause(std::chrono::milliseconds time);
    static int RunMessageLoop();
};

// The program's start-up, in order: the application title is emptied; the
// single-instance guard is taken (a second instance shows KSecondInstanceText
// through the standard error display and ends without a window); the main
// window is created (it creates TCore); the title is set to SWSetup's Title;
// the splash window is shown and the thread paused for KSplashTime; the main
// window is shown and the message loop runs. The main window is destroyed
// before the guard is released, so no second instance starts while the first
// still writes its settings or holds devices. An exception from any step is
// shown by the standard error display. Returns 0. Needs the QApplication.
int RunStartup(const TStartupHooks& hooks);

// The application title (task bar); empty until set. A title that is not
// empty also becomes Qt's application name.
void SetApplicationTitle(const QString& title);
QString ApplicationTitle();
