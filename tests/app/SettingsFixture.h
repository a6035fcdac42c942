#pragma once
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "Settingsstore.h"
#include "Swsettings.h"
#include "Swsetup.h"

// A settings store in a scratch INI file, with the program's key.
class SettingsFixture : public testing::Test {
protected:
    QTemporaryDir FDir;
    QString FPath = FDir.filePath(QStringLiteral("settings.conf"));
    TSettingsStore FStore = TSettingsStore::InFile(FPath);
    QString FKey = TSWSetup().RegistryKey;

    std::unique_ptr<TSWSettings> Open() { return std::make_unique<TSWSettings>(FKey, FStore); }

    // Writes the settings file as a person would by hand.
    void WriteFile(const QByteArray& content) {
        QFile file(FPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }
};
