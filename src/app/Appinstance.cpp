#include "Appinstance.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

const QString TAppInstance::KProgramName = QStringLiteral("Torvane Research, Inc - KZD Control Center");

namespace {
QString DefaultLockFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder;
}

QString LockFileName(const QString& name) {
    QString fileName = name;
    for (QChar& ch : fileName) {
        const bool plain = ch.isLetterOrNumber() || ch == QLatin1Char(' ') || ch == QLatin1Char('.') ||
                           ch == QLatin1Char('-') || ch == QLatin1Char('_');
        if (!plain)
            ch = QLatin1Char('_');
    }
    return fileName + QStringLiteral(".lock");
}
}  // namespace

QString TAppInstance::LockFilePathFor(const QString& name, const QString& lockFolder) {
    const QString folder = lockFolder.isEmpty() ? DefaultLockFolder() : lockFolder;
    return QDir(folder).filePath(LockFileName(name));
}

TAppInstance::TAppInstance(const QString& name, const QString& lockFolder)
    : FLockFilePath(LockFilePathFor(name, lockFolder)),
      FMutex(std::make_unique<QLockFile>(FLockFilePath)) {
    // Staleness only by a dead owner, never by age: a first instance that has
    // run for hours still holds its lock.
    FMutex->setStaleLockTime(0);
    FIsFirstInstance = FMutex->tryLock(0);
}

TAppInstance::~TAppInstance() {
    if (FIsFirstInstance)
        FMutex->unlock();
}
