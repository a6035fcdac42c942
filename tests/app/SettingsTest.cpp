#include <QSettings>
#include <QWidget>
#include <functional>

#include "SettingsFixture.h"
#include "Windowplacement.h"

namespace {

TEST_F(SettingsFixture, EmptyStoreGivesTheDefaults) {
    auto settings = Open();
    EXPECT_TRUE(settings->GetShowNotes());
    EXPECT_TRUE(settings->GetLoadMap());
    EXPECT_FALSE(settings->GetCellTrace());
    EXPECT_TRUE(settings->GetConnectMapBackup());
    EXPECT_FALSE(settings->GetSendMapBackup());
    EXPECT_EQ(settings->GetCellTraceDuration(), 1);
    EXPECT_EQ(settings->GetTableRowHeight(), 0);
    EXPECT_EQ(settings->GetLangID(), 1033);
    EXPECT_FALSE(settings->HasWindowPlacement());
    EXPECT_TRUE(settings->GetWindowPlacement().isEmpty());
    EXPECT_FALSE(settings->OverrideDialTrims());
    EXPECT_FALSE(settings->OverrideDialTrimsAdvanced());
    EXPECT_FALSE(settings->OverrideConnectAll());
    EXPECT_EQ(settings->RecentFiles().Count(), 0);
}

TEST_F(SettingsFixture, ValuesSurviveARestartUnderTheirNames) {
    {
        auto settings = Open();
        settings->SetShowNotes(false);
        settings->SetLoadMap(false);
        settings->SetCellTrace(true);
        settings->SetConnectMapBackup(false);
        settings->SetSendMapBackup(true);
        settings->SetCellTraceDuration(20000);
        settings->SetTableRowHeight(2);
        settings->SetLangID(1031);
    }
    auto settings = Open();
    EXPECT_FALSE(settings->GetShowNotes());
    EXPECT_FALSE(settings->GetLoadMap());
    EXPECT_TRUE(settings->GetCellTrace());
    EXPECT_FALSE(settings->GetConnectMapBackup());
    EXPECT_TRUE(settings->GetSendMapBackup());
    EXPECT_EQ(settings->GetCellTraceDuration(), 20000);
    EXPECT_EQ(settings->GetTableRowHeight(), 2);
    EXPECT_EQ(settings->GetLangID(), 1031);

    QSettings raw(FPath, QSettings::IniFormat);
    EXPECT_EQ(raw.value("Show Notes").toString(), "false");
    EXPECT_EQ(raw.value("Load Map").toString(), "false");
    EXPECT_EQ(raw.value("Cell Trace").toString(), "true");
    EXPECT_EQ(raw.value("Connect Map Backup").toString(), "false");
    EXPECT_EQ(raw.value("Send Map Backup").toString(), "true");
    EXPECT_EQ(raw.value("Cell Trace Duration").toInt(), 20000);
    EXPECT_EQ(raw.value("Table Row Height").toInt(), 2);
    EXPECT_EQ(raw.value("Lang ID").toInt(), 1031);
}

TEST_F(SettingsFixture, HandWrittenValuesAreRead) {
    WriteFile("[General]\nShow Notes=0\nCell Trace=TRUE\nLang ID= 1036\n"
              "[Overrides]\nOverride Dial Trims=\nOverride Connect All=anything\n");
    auto settings = Open();
    EXPECT_FALSE(settings->GetShowNotes());
    EXPECT_TRUE(settings->GetCellTrace());
    EXPECT_EQ(settings->GetLangID(), 1036);
    EXPECT_TRUE(settings->OverrideDialTrims());
    EXPECT_FALSE(settings->OverrideDialTrimsAdvanced());
    EXPECT_TRUE(settings->OverrideConnectAll());
}

struct WrongTypeCase {
    const char* Line;
    const char* ValueName;
    std::function<void(TSWSettings&)> Read;
};

class SettingsWrongType : public SettingsFixture, public testing::WithParamInterface<WrongTypeCase> {};

TEST_P(SettingsWrongType, ReadFailsWithAnErrorNamingTheValue) {
    WriteFile(QByteArray("[General]\n") + GetParam().Line + "\n");
    auto settings = Open();
    try {
        GetParam().Read(*settings);
        FAIL() << "no error for " << GetParam().Line;
    } catch (const ESettingsTypeError& error) {
        EXPECT_EQ(error.ValueName(), QString::fromLatin1(GetParam().ValueName));
        EXPECT_NE(std::string(error.what()).find(GetParam().ValueName), std::string::npos);
        EXPECT_NE(QString::fromStdString(error.what()).indexOf(FPath), -1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Values, SettingsWrongType,
    testing::Values(
        WrongTypeCase{"Lang ID=German", "Lang ID", [](TSWSettings& s) { s.GetLangID(); }},
        WrongTypeCase{"Lang ID=true", "Lang ID", [](TSWSettings& s) { s.GetLangID(); }},
        WrongTypeCase{"Table Row Height=1.5", "Table Row Height", [](TSWSettings& s) { s.GetTableRowHeight(); }},
        WrongTypeCase{"Cell Trace Duration=99999999999", "Cell Trace Duration",
                      [](TSWSettings& s) { s.GetCellTraceDuration(); }},
        WrongTypeCase{"Cell Trace Duration=@ByteArray(\\x1\\x2)", "Cell Trace Duration",
                      [](TSWSettings& s) { s.GetCellTraceDuration(); }},
        WrongTypeCase{"Show Notes=maybe", "Show Notes", [](TSWSettings& s) { s.GetShowNotes(); }},
        WrongTypeCase{"Load Map=2.0", "Load Map", [](TSWSettings& s) { s.GetLoadMap(); }},
        WrongTypeCase{"Send Map Backup=a, b", "Send Map Backup", [](TSWSettings& s) { s.GetSendMapBackup(); }}));

TEST_F(SettingsFixture, WrongTypedRecentFilesStopConstruction) {
    WriteFile("[General]\nNum Recent Files=many\n");
    EXPECT_THROW(Open(), ESettingsTypeError);
    WriteFile("[General]\nNum Recent Files=1\nRecent File 0=@ByteArray(abc)\n");
    EXPECT_THROW(Open(), ESettingsTypeError);
}

// Recent files ---------------------------------------------------------------

QStringList Items(const TRecentFilesList& list) {
    QStringList items;
    for (int i = 0; i < list.Count(); ++i)
        items << list.Item(i);
    return items;
}

TEST_F(SettingsFixture, RecentFilesKeepNewestFirstAcrossARestart) {
    Open()->RecentFiles().Add("/maps/A.kzm");
    {
        auto settings = Open();
        settings->RecentFiles().Add("/maps/B.kzm");
        settings->RecentFiles().Add("/maps/C.kzm");
    }
    auto settings = Open();
    EXPECT_EQ(Items(settings->RecentFiles()), QStringList({"/maps/C.kzm", "/maps/B.kzm", "/maps/A.kzm"}));
    QSettings raw(FPath, QSettings::IniFormat);
    EXPECT_EQ(raw.value("Num Recent Files").toInt(), 3);
    EXPECT_EQ(raw.value("Recent File 0").toString(), "/maps/C.kzm");
    EXPECT_EQ(raw.value("Recent File 2").toString(), "/maps/A.kzm");
}

TEST_F(SettingsFixture, ASixthFileDropsTheOldest) {
    auto settings = Open();
    for (const char* name : {"1", "2", "3", "4", "5", "6"})
        settings->RecentFiles().Add(QStringLiteral("/maps/%1.kzm").arg(name));
    const QStringList expected = {"/maps/6.kzm", "/maps/5.kzm", "/maps/4.kzm", "/maps/3.kzm", "/maps/2.kzm"};
    EXPECT_EQ(Items(settings->RecentFiles()), expected);
    EXPECT_EQ(Items(Open()->RecentFiles()), expected);
    EXPECT_FALSE(QSettings(FPath, QSettings::IniFormat).contains("Recent File 5"));
}

TEST_F(SettingsFixture, ReopeningAnEntrySwapsItWithTheFirst) {
    auto settings = Open();
    auto& recent = settings->RecentFiles();
    for (const char* name : {"A", "B", "C", "D"})
        recent.Add(QStringLiteral("/maps/%1.kzm").arg(name));
    recent.Add("/MAPS/b.KZM");  // the third entry, matched ignoring case
    const QStringList expected = {"/maps/B.kzm", "/maps/C.kzm", "/maps/D.kzm", "/maps/A.kzm"};
    EXPECT_EQ(Items(recent), expected);
    recent.Add("/maps/b.kzm");  // already first: nothing changes
    EXPECT_EQ(Items(recent), expected);
    EXPECT_EQ(Items(Open()->RecentFiles()), expected);
}

TEST_F(SettingsFixture, ClearRemovesTheStoredEntries) {
    auto settings = Open();
    settings->RecentFiles().Add("/maps/A.kzm");
    settings->RecentFiles().Add("/maps/B.kzm");
    settings->RecentFiles().Clear();
    EXPECT_EQ(settings->RecentFiles().Count(), 0);
    EXPECT_EQ(settings->RecentFiles().Item(0), QString());
    QSettings raw(FPath, QSettings::IniFormat);
    EXPECT_EQ(raw.value("Num Recent Files").toInt(), 0);
    EXPECT_FALSE(raw.contains("Recent File 0"));
    EXPECT_FALSE(raw.contains("Recent File 1"));
}

TEST_F(SettingsFixture, LoadingSkipsMissingEntriesAndStopsAtFive) {
    WriteFile("[General]\nNum Recent Files=9\nRecent File 0=/a.kzm\nRecent File 2=/c.kzm\n"
              "Recent File 4=/e.kzm\nRecent File 5=/f.kzm\n");
    EXPECT_EQ(Items(Open()->RecentFiles()), QStringList({"/a.kzm", "/c.kzm", "/e.kzm"}));
    WriteFile("[General]\nNum Recent Files=0\nRecent File 0=/a.kzm\n");
    EXPECT_EQ(Open()->RecentFiles().Count(), 0);
}

// Window placement -----------------------------------------------------------

TEST_F(SettingsFixture, PlacementRoundTrips) {
    QWidget first;
    first.setGeometry(40, 50, 640, 480);
    StoreWindowPlacement(first, *Open());
    QWidget second;
    second.resize(200, 100);
    ASSERT_TRUE(RestoreWindowPlacement(second, *Open()));
    EXPECT_EQ(second.size(), QSize(640, 480));
}

TEST_F(SettingsFixture, DamagedPlacementIsIgnored) {
    for (const QByteArray& stored : {QByteArray(10, '\x7f'), QByteArray(44, '\0'), QByteArray("garbage")}) {
        Open()->SetWindowPlacement(stored);
        auto settings = Open();
        EXPECT_TRUE(settings->HasWindowPlacement());
        EXPECT_EQ(settings->GetWindowPlacement(), stored);
        QWidget window;
        window.resize(300, 200);
        EXPECT_FALSE(RestoreWindowPlacement(window, *settings));
        EXPECT_EQ(window.size(), QSize(300, 200));
    }
    WriteFile("[General]\nWP=12\n");
    QWidget window;
    EXPECT_FALSE(RestoreWindowPlacement(window, *Open()));
}

// Where the settings live ----------------------------------------------------

TEST(SettingsLocation, FileFollowsTheKeyPath) {
    EXPECT_EQ(SettingsFilePathFor("\\Software\\Torvane Research Inc.\\KZD Control Center", "/home/u/.config"),
              "/home/u/.config/Torvane Research Inc./KZD Control Center.conf");
    EXPECT_EQ(SettingsFilePathFor("Maker\\Tool", "/c"), "/c/Maker/Tool.conf");
}

TEST(SettingsLocation, UserStoreIsUnderTheConfigurationFolder) {
#ifndef Q_OS_WIN
    QTemporaryDir dir;
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
    const TSettingsStore store = TSettingsStore::ForKey(TSWSetup().RegistryKey);
    EXPECT_EQ(store.Location(), dir.path() + "/Torvane Research Inc./KZD Control Center.conf");
    TSWSettings(TSWSetup().RegistryKey).SetLangID(1040);
    EXPECT_TRUE(QFile::exists(store.Location()));
    if (saved.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", saved);
#endif
}

}  // namespace
