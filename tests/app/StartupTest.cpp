#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>
#include <stdexcept>

#include "Commandline.h"
#include "Errordisplay.h"
#include "Fileinfo.h"
#include "Mainform.h"
#include "SettingsFixture.h"
#include "Splashform.h"
#include "Startup.h"
#include "Translate.h"
#include "Version.h"

namespace {

// Captures what the standard error display would show.
class CapturedErrors {
public:
    CapturedErrors() {
        SetErrorDisplay([this](const QString& text, const QString& caption) {
            Messages << caption + QStringLiteral("|") + text;
        });
    }
    ~CapturedErrors() { SetErrorDisplay(nullptr); }
    QStringList Messages;
};

TEST(Caption, ShowsTheFileVersionInBrackets) {
    EXPECT_EQ(MainCaption("Torvane - KZD Control Center", QString("1.0.0.7")),
              "Torvane - KZD Control Center [1.0.0.7]");
    EXPECT_EQ(MainCaption("Torvane - KZD Control Center", QString()), "Torvane - KZD Control Center []");
    EXPECT_EQ(MainCaption("Torvane - KZD Control Center", std::nullopt),
              "Torvane - KZD Control Center [X.X.X.X]");
}

TEST(Caption, FileVersionComesFromTheBuild) {
    const QString program = QCoreApplication::applicationFilePath();
    TFileInfo info;
    EXPECT_EQ(info.GetVersionValue(program, "FileVersion"), QStringLiteral(KZD_FILE_VERSION));
    EXPECT_EQ(QString(KZD_FILE_VERSION).split('.').size(), 4);
    EXPECT_EQ(info.GetVersionValue(program, "CompanyName"), QString());
    EXPECT_EQ(info.GetVersionValue("/nonexistent/kzdcc", "FileVersion"), QString());
    EXPECT_EQ(MainCaptionForProgram("T", "/nonexistent/kzdcc"), "T []");
    EXPECT_EQ(MainCaptionForProgram("T", program), "T [" KZD_FILE_VERSION "]");
}

TEST(CommandLine, DeviceOptionIsSetApartFromTheFile) {
    const TCommandLine a = ParseCommandLine({"--device", "sim", "/maps/a.kzm"});
    EXPECT_EQ(a.Device, "sim");
    EXPECT_EQ(a.LastArgument, "/maps/a.kzm");
    const TCommandLine b = ParseCommandLine({"/maps/a.kzm", "--device=link:/tmp/l"});
    EXPECT_EQ(b.Device, "link:/tmp/l");
    EXPECT_EQ(b.LastArgument, "/maps/a.kzm");
    const TCommandLine c = ParseCommandLine({"--device"});
    EXPECT_EQ(c.Device, QString());
    EXPECT_EQ(c.LastArgument, QString());
}

// Start-up -------------------------------------------------------------------

// A main window that records what start-up did around it.
struct StartupLog {
    QStringList Steps;
    QString InstanceName;
    QString LockFolder;
};

class RecordingWindow : public QWidget {
public:
    explicit RecordingWindow(StartupLog& log) : FLog(log) { FLog.Steps << "main window"; }
    ~RecordingWindow() override {
        const bool guardHeld = !TAppInstance(FLog.InstanceName, FLog.LockFolder).IsFirstInstance();
        FLog.Steps << (guardHeld ? "main window gone, guard held" : "main window gone, guard free");
    }
    void showEvent(QShowEvent*) override { FLog.Steps << "main window shown"; }

private:
    StartupLog& FLog;
};

class SplashWindow : public QWidget {
public:
    explicit SplashWindow(StartupLog& log) : FLog(log) {}
    ~SplashWindow() override { FLog.Steps << "splash gone"; }
    void showEvent(QShowEvent*) override { FLog.Steps << "splash shown"; }

private:
    StartupLog& FLog;
};

class Startup : public testing::Test {
protected:
    QTemporaryDir FDir;
    StartupLog FLog{{}, QStringLiteral("kzd startup test"), FDir.path()};
    TStartupHooks FHooks = MakeHooks();

    TStartupHooks MakeHooks() {
        TStartupHooks hooks;
        hooks.InstanceName = FLog.InstanceName;
        hooks.LockFolder = FLog.LockFolder;
        hooks.CreateMainWindow = [this] { return std::make_unique<RecordingWindow>(FLog); };
        hooks.CreateSplash = [this] { return std::make_unique<SplashWindow>(FLog); };
        hooks.Pause = [this](std::chrono::milliseconds time) {
            FLog.Steps << QStringLiteral("pause %1 ms").arg(time.count());
        };
        hooks.RunLoop = [this] {
            QApplication::processEvents();
            FLog.Steps << "message loop";
            return 0;
        };
        return hooks;
    }
};

TEST_F(Startup, FirstInstanceRunsTheStepsInOrder) {
    CapturedErrors errors;
    EXPECT_EQ(RunStartup(FHooks), 0);
    EXPECT_EQ(FLog.Steps, QStringList({"main window", "splash shown", "pause 2000 ms", "splash gone",
                                       "main window shown", "message loop", "main window gone, guard held"}));
    EXPECT_TRUE(errors.Messages.isEmpty());
    EXPECT_TRUE(TAppInstance(FLog.InstanceName, FLog.LockFolder).IsFirstInstance());  // released at the end
}

TEST_F(Startup, SecondInstanceShowsTheMessageAndCreatesNoWindow) {
    TAppInstance first(FLog.InstanceName, FLog.LockFolder);
    ASSERT_TRUE(first.IsFirstInstance());
    CapturedErrors errors;
    EXPECT_EQ(RunStartup(FHooks), 0);
    EXPECT_TRUE(FLog.Steps.isEmpty());
    EXPECT_EQ(errors.Messages,
              QStringList({"Error|This application is currently running.\r\nThis instance will be terminated."}));
    EXPECT_FALSE(TAppInstance(FLog.InstanceName, FLog.LockFolder).IsFirstInstance());  // first untouched
}

TEST_F(Startup, ExceptionIsShownAndEndsTheStartup) {
    FHooks.CreateMainWindow = []() -> std::unique_ptr<QWidget> {
        throw std::runtime_error("The settings value \"Lang ID\" is not an integer.");
    };
    CapturedErrors errors;
    EXPECT_EQ(RunStartup(FHooks), 0);
    EXPECT_EQ(errors.Messages, QStringList({"Error|The settings value \"Lang ID\" is not an integer."}));
    EXPECT_TRUE(TAppInstance(FLog.InstanceName, FLog.LockFolder).IsFirstInstance());
}

TEST_F(Startup, NoSplashWindowStillPauses) {
    FHooks.CreateSplash = nullptr;
    EXPECT_EQ(RunStartup(FHooks), 0);
    EXPECT_EQ(FLog.Steps.mid(0, 3), QStringList({"main window", "pause 2000 ms", "main window shown"}));
}

// The main window ------------------------------------------------------------

TEST_F(SettingsFixture, MainWindowOwnsTheCoreAndShowsTheCaption) {
    {
        TFormMain window({}, FStore);
        ASSERT_NE(SWSettings, nullptr);
        EXPECT_EQ(window.windowTitle(), "Torvane - KZD Control Center [" KZD_FILE_VERSION "]");
    }
    EXPECT_EQ(SWSetup, nullptr);
    EXPECT_EQ(SWSettings, nullptr);
    EXPECT_EQ(Translator, nullptr);
}

TEST_F(SettingsFixture, MainWindowAppliesTheLanguageAndKeepsItsPlacement) {
    Open()->SetLangID(1031);
    {
        TFormMain window({}, FStore);
        window.show();
        EXPECT_EQ(Translator->Language(), 1031);
        window.resize(640, 400);
        QApplication::processEvents();
    }
    TFormMain window({}, FStore);
    window.show();
    EXPECT_EQ(window.size(), QSize(640, 400));
}

TEST_F(SettingsFixture, MainWindowIgnoresADamagedPlacement) {
    Open()->SetWindowPlacement(QByteArray(10, '\x01'));
    TFormMain window({}, FStore);
    window.show();
    EXPECT_EQ(window.size(), QSize(800, 600));
}

TEST(ApplicationTitle, StartupSetsTheSetupTitle) {
    QTemporaryDir dir;
    TStartupHooks hooks;
    hooks.InstanceName = QStringLiteral("kzd title test");
    hooks.LockFolder = dir.path();
    QString titleWhileRunning;
    const TSettingsStore store = TSettingsStore::InFile(dir.filePath("settings.conf"));
    hooks.CreateMainWindow = [&] {
        EXPECT_EQ(ApplicationTitle(), QString());
        return std::make_unique<TFormMain>(TCommandLine{}, store);
    };
    hooks.CreateSplash = nullptr;
    hooks.Pause = [](std::chrono::milliseconds) {};
    hooks.RunLoop = [&] {
        titleWhileRunning = ApplicationTitle();
        return 0;
    };
    RunStartup(hooks);
    EXPECT_EQ(titleWhileRunning, "KZD Control Center");
}

int VisibleSplashWindows() {
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        count += qobject_cast<TFormSplash*>(widget) && widget->isVisible() ? 1 : 0;
    return count;
}

TEST(ProgramSplash, ShownDuringThePauseAndGoneOnceTheMainWindowShows) {
    QTemporaryDir dir;
    TStartupHooks hooks;  // the program's own splash window
    hooks.InstanceName = QStringLiteral("kzd splash test");
    hooks.LockFolder = dir.path();
    const TSettingsStore store = TSettingsStore::InFile(dir.filePath("settings.conf"));
    hooks.CreateMainWindow = [&] { return std::make_unique<TFormMain>(TCommandLine{}, store); };
    int duringPause = -1, duringLoop = -1;
    hooks.Pause = [&](std::chrono::milliseconds) { duringPause = VisibleSplashWindows(); };
    hooks.RunLoop = [&] {
        duringLoop = VisibleSplashWindows();
        return 0;
    };
    RunStartup(hooks);
    EXPECT_EQ(duringPause, 1);
    EXPECT_EQ(duringLoop, 0);
}

}  // namespace
