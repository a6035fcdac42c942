// Starts the GUI program itself, headless, as a person would start it twice.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "Appinstance.h"

namespace {

class Kzdcc : public testing::Test {
protected:
    QTemporaryDir FHome;
    const QString FInstance = QStringLiteral("kzdcc process test %1").arg(QCoreApplication::applicationPid());

    void SetUp() override {
        ASSERT_TRUE(FHome.isValid());
        QFile::setPermissions(FHome.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    std::unique_ptr<QProcess> Start(const QStringList& arguments) {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("XDG_CONFIG_HOME", FHome.filePath("config"));
        environment.insert("XDG_RUNTIME_DIR", FHome.path());
        environment.insert("KZD_INSTANCE_NAME", FInstance);
        process->setProcessEnvironment(environment);
        process->start(QStringLiteral(KZDCC_PATH), arguments);
        EXPECT_TRUE(process->waitForStarted(30000));
        return process;
    }

    // Waits until the running program holds its guard.
    bool WaitForGuard(QProcess& process) {
        const QString lock = TAppInstance::LockFilePathFor(FInstance, FHome.path());
        QDeadlineTimer deadline(60000);
        while (!deadline.hasExpired() && process.state() == QProcess::Running) {
            if (QFile::exists(lock))
                return true;
            QThread::msleep(20);
        }
        return false;
    }
};

TEST_F(Kzdcc, SecondStartIsRefusedAndTheFirstRunsOn) {
    auto first = Start({"--device", "sim"});
    ASSERT_TRUE(WaitForGuard(*first)) << first->readAllStandardError().toStdString();

    auto second = Start({});
    ASSERT_TRUE(second->waitForFinished(60000));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    const QString message = QString::fromLocal8Bit(second->readAllStandardError());
    EXPECT_TRUE(message.contains("This application is currently running.\nThis instance will be terminated."))
        << message.toStdString();

    EXPECT_EQ(first->state(), QProcess::Running);
    first->kill();
    first->waitForFinished(30000);

    // The first one died without cleaning up; its lock does not block a new start.
    auto third = Start({});
    EXPECT_TRUE(WaitForGuard(*third));
    EXPECT_FALSE(third->waitForFinished(1000));  // runs rather than refusing
    third->kill();
    third->waitForFinished(30000);
}

}  // namespace
