#pragma once
#include <QString>
#include <memory>

class QLockFile;

// The named single-instance guard. The first guard of a name on this
// machine's user session holds a lock file named after it in the user's
// runtime folder; any further guard of that name, in this process or
// another, is refused while the first lives. A lock left behind by a process
// that died is recognised as stale and taken over. Any failure to take the
// lock (the folder cannot be written, say) counts as "not first".
class TAppInstance {
public:
    // The name of the program's own guard.
    static const QString KProgramName;

    // Tries to take the guard of name. lockFolder defaults to the user's
    // runtime folder (tests pass a folder of their own).
    explicit TAppInstance(const QString& name, const QString& lockFolder = QString());
    // Releases the guard when this one holds it.
    ~TAppInstance();
    TAppInstance(const TAppInstance&) = delete;
    TAppInstance& operator=(const TAppInstance&) = delete;

    bool IsFirstInstance() const { return FIsFirstInstance; }
    const QString& LockFilePath() const { return FLockFilePath; }

    // The lock file of name in folder (or the default folder when empty).
    static QString LockFilePathFor(const QString& name, const QString& lockFolder = QString());

private:
    QString FLockFilePath;
    std::unique_ptr<QLockFile> FMutex;
    bool FIsFirstInstance = false;
};
