#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QLockFile>
#include <QTemporaryDir>
#include <sys/wait.h>
#include <unistd.h>

#include "Appinstance.h"

namespace {

class AppInstance : public testing::Test {
protected:
    QTemporaryDir FDir;
    const QString FName = QStringLiteral("Torvane Research, Inc - KZD Control Center");

    // Runs body in a child process and returns its pid; the child ends with
    // _exit, so nothing of it is cleaned up (as in a crash).
    template <typename Body>
    pid_t Child(Body body) {
        const pid_t pid = fork();
        if (pid == 0) {
            body();
            _exit(0);
        }
        return pid;
    }
};

TEST_F(AppInstance, SecondGuardOfTheNameIsRefusedUntilTheFirstEnds) {
    auto first = std::make_unique<TAppInstance>(FName, FDir.path());
    EXPECT_TRUE(first->IsFirstInstance());
    {
        TAppInstance second(FName, FDir.path());
        EXPECT_FALSE(second.IsFirstInstance());
    }
    EXPECT_TRUE(QFile::exists(first->LockFilePath()));  // the refused guard left the first's lock
    first.reset();
    EXPECT_TRUE(TAppInstance(FName, FDir.path()).IsFirstInstance());
}

TEST_F(AppInstance, DifferentNamesDoNotRefuseEachOther) {
    TAppInstance program(FName, FDir.path());
    TAppInstance test(QStringLiteral("kzd test instance 1"), FDir.path());
    TAppInstance other(QStringLiteral("kzd test instance 2"), FDir.path());
    EXPECT_TRUE(program.IsFirstInstance());
    EXPECT_TRUE(test.IsFirstInstance());
    EXPECT_TRUE(other.IsFirstInstance());
    EXPECT_NE(program.LockFilePath(), test.LockFilePath());
}

TEST_F(AppInstance, GuardHeldByAnotherLiveProcessRefuses) {
    int toChild[2], toParent[2];
    ASSERT_EQ(pipe(toChild), 0);
    ASSERT_EQ(pipe(toParent), 0);
    const pid_t pid = Child([&] {
        TAppInstance guard(FName, FDir.path());
        const char held = guard.IsFirstInstance() ? 'y' : 'n';
        (void)!write(toParent[1], &held, 1);
        char go;
        (void)!read(toChild[0], &go, 1);  // hold the guard until told
    });
    ASSERT_GT(pid, 0);
    char held = 0;
    ASSERT_EQ(read(toParent[0], &held, 1), 1);
    ASSERT_EQ(held, 'y');
    EXPECT_FALSE(TAppInstance(FName, FDir.path()).IsFirstInstance());
    // A first instance that has run for hours still holds its guard.
    QFile lockFile(TAppInstance::LockFilePathFor(FName, FDir.path()));
    ASSERT_TRUE(lockFile.open(QIODevice::ReadWrite));
    ASSERT_TRUE(lockFile.setFileTime(QDateTime::currentDateTime().addSecs(-3 * 3600),
                                     QFileDevice::FileModificationTime));
    lockFile.close();
    EXPECT_FALSE(TAppInstance(FName, FDir.path()).IsFirstInstance());
    (void)!write(toChild[1], "g", 1);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(TAppInstance(FName, FDir.path()).IsFirstInstance());
    for (int fd : {toChild[0], toChild[1], toParent[0], toParent[1]})
        close(fd);
}

TEST_F(AppInstance, LockOfAProcessThatDiedDoesNotBlock) {
    const QString path = TAppInstance::LockFilePathFor(FName, FDir.path());
    const pid_t pid = Child([&] {
        QLockFile lock(path);
        lock.tryLock(0);
        _exit(0);  // ends with the lock taken, as in a crash
    });
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(QFile::exists(path));
    TAppInstance guard(FName, FDir.path());
    EXPECT_TRUE(guard.IsFirstInstance());
}

TEST_F(AppInstance, GuardThatCannotBeTakenCountsAsSecond) {
    TAppInstance guard(FName, FDir.filePath(QStringLiteral("no/such/folder")));
    EXPECT_FALSE(guard.IsFirstInstance());
}

TEST(AppInstanceName, LockFileIsNamedAfterTheGuard) {
    const QString path = TAppInstance::LockFilePathFor(TAppInstance::KProgramName, QStringLiteral("/run/u"));
    EXPECT_EQ(path, QStringLiteral("/run/u/Torvane Research_ Inc - KZD Control Center.lock"));
    EXPECT_EQ(TAppInstance::KProgramName, QStringLiteral("Torvane Research, Inc - KZD Control Center"));
}

}  // namespace
