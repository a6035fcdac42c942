#pragma once
#include <QByteArray>
#include <QString>
#include <memory>

#include "Recentfileslist.h"
#include "Settingsstore.h"

// The user's persisted settings, process-wide as SWSettings (owned by TCore).
// Every getter opens the key, reads one value (its default when absent) and
// closes it again; every setter opens, writes and closes, so nothing is
// cached apart from the window placement buffer. A value stored with the
// wrong type makes its getter throw ESettingsTypeError, which the
// application's error display shows. Main thread.
class TSWSettings {
public:
    // The settings of key for the current user (TSettingsStore::ForKey).
    explicit TSWSettings(const QString& key);
    // The settings of key kept in store (tests point this at a scratch file).
    TSWSettings(const QString& key, TSettingsStore store);
    ~TSWSettings();
    TSWSettings(const TSWSettings&) = delete;
    TSWSettings& operator=(const TSWSettings&) = delete;

    const QString& Key() const { return FKey; }
    const TSettingsStore& Store() const { return FRegistry; }

    // The main window's placement, "WP", in the toolkit's own form
    // (QWidget::saveGeometry). The stored bytes are returned as they are,
    // whatever their length; a value that does not restore cleanly is to be
    // ignored by the caller (see RestoreWindowPlacement).
    bool HasWindowPlacement();
    const QByteArray& GetWindowPlacement();
    void SetWindowPlacement(const QByteArray& placement);

    bool GetShowNotes();                 // "Show Notes", default true
    void SetShowNotes(bool value);
    bool GetLoadMap();                   // "Load Map", default true
    void SetLoadMap(bool value);
    bool GetCellTrace();                 // "Cell Trace", default false
    void SetCellTrace(bool value);
    bool GetConnectMapBackup();          // "Connect Map Backup", default true
    void SetConnectMapBackup(bool value);
    bool GetSendMapBackup();             // "Send Map Backup", default false
    void SetSendMapBackup(bool value);
    int GetCellTraceDuration();          // "Cell Trace Duration" (ms), default 1
    void SetCellTraceDuration(int value);
    int GetTableRowHeight();             // "Table Row Height", default 0
    void SetTableRowHeight(int value);
    int GetLangID();                     // "Lang ID", default 1033
    void SetLangID(int value);

    // Whether the value exists in the subkey "Overrides" (type and content
    // are ignored; these switches are only ever created by hand).
    bool OverrideDialTrims();
    bool OverrideDialTrimsAdvanced();
    bool OverrideConnectAll();

    TRecentFilesList& RecentFiles() { return *FRecentFiles; }

private:
    std::unique_ptr<QSettings> OpenKey() const;
    std::unique_ptr<QSettings> OpenSubKey(const QString& name) const;
    bool ReadBool(const QString& name, bool def) const;
    void WriteBool(const QString& name, bool value);
    int ReadInt(const QString& name, int def) const;
    void WriteInt(const QString& name, int value);
    bool OverrideExists(const QString& name) const;

    QString FKey;
    QByteArray FPlacement;
    TSettingsStore FRegistry;
    std::unique_ptr<TRecentFilesList> FRecentFiles;
};

// The process-wide settings; null outside the life of TCore.
extern TSWSettings* SWSettings;
