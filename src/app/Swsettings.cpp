#include "Swsettings.h"

TSWSettings* SWSettings = nullptr;

namespace {
const QString KPlacementName = QStringLiteral("WP");
const QString KOverridesKey = QStringLiteral("Overrides");
}  // namespace

TSWSettings::TSWSettings(const QString& key) : TSWSettings(key, TSettingsStore::ForKey(key)) {}

TSWSettings::TSWSettings(const QString& key, TSettingsStore store)
    : FKey(key), FRegistry(std::move(store)) {
    FRecentFiles = std::make_unique<TRecentFilesList>(FRegistry, FKey);
}

TSWSettings::~TSWSettings() = default;

std::unique_ptr<QSettings> TSWSettings::OpenKey() const { return FRegistry.Open(); }

std::unique_ptr<QSettings> TSWSettings::OpenSubKey(const QString& name) const {
    return FRegistry.Open(name);
}

bool TSWSettings::ReadBool(const QString& name, bool def) const {
    return ReadBoolValue(*OpenKey(), name, def);
}

void TSWSettings::WriteBool(const QString& name, bool value) {
    const auto settings = OpenKey();
    settings->setValue(name, value);
    CloseKey(*settings);
}

int TSWSettings::ReadInt(const QString& name, int def) const {
    return ReadIntValue(*OpenKey(), name, def);
}

void TSWSettings::WriteInt(const QString& name, int value) {
    const auto settings = OpenKey();
    settings->setValue(name, value);
    CloseKey(*settings);
}

bool TSWSettings::HasWindowPlacement() { return OpenKey()->contains(KPlacementName); }

const QByteArray& TSWSettings::GetWindowPlacement() {
    FPlacement.clear();
    const auto settings = OpenKey();
    if (settings->contains(KPlacementName))
        FPlacement = settings->value(KPlacementName).toByteArray();
    return FPlacement;
}

void TSWSettings::SetWindowPlacement(const QByteArray& placement) {
    const auto settings = OpenKey();
    settings->setValue(KPlacementName, placement);
    CloseKey(*settings);
}

bool TSWSettings::GetShowNotes() { return ReadBool(QStringLiteral("Show Notes"), true); }
void TSWSettings::SetShowNotes(bool value) { WriteBool(QStringLiteral("Show Notes"), value); }
bool TSWSettings::GetLoadMap() { return ReadBool(QStringLiteral("Load Map"), true); }
void TSWSettings::SetLoadMap(bool value) { WriteBool(QStringLiteral("Load Map"), value); }
bool TSWSettings::GetCellTrace() { return ReadBool(QStringLiteral("Cell Trace"), false); }
void TSWSettings::SetCellTrace(bool value) { WriteBool(QStringLiteral("Cell Trace"), value); }

bool TSWSettings::GetConnectMapBackup() { return ReadBool(QStringLiteral("Connect Map Backup"), true); }
void TSWSettings::SetConnectMapBackup(bool value) {
    WriteBool(QStringLiteral("Connect Map Backup"), value);
}
bool TSWSettings::GetSendMapBackup() { return ReadBool(QStringLiteral("Send Map Backup"), false); }
void TSWSettings::SetSendMapBackup(bool value) { WriteBool(QStringLiteral("Send Map Backup"), value); }

int TSWSettings::GetCellTraceDuration() { return ReadInt(QStringLiteral("Cell Trace Duration"), 1); }
void TSWSettings::SetCellTraceDuration(int value) {
    WriteInt(QStringLiteral("Cell Trace Duration"), value);
}
int TSWSettings::GetTableRowHeight() { return ReadInt(QStringLiteral("Table Row Height"), 0); }
void TSWSettings::SetTableRowHeight(int value) { WriteInt(QStringLiteral("Table Row Height"), value); }
int TSWSettings::GetLangID() { return ReadInt(QStringLiteral("Lang ID"), 1033); }
void TSWSettings::SetLangID(int value) { WriteInt(QStringLiteral("Lang ID"), value); }

bool TSWSettings::OverrideExists(const QString& name) const {
    return OpenSubKey(KOverridesKey)->contains(name);
}

bool TSWSettings::OverrideDialTrims() { return OverrideExists(QStringLiteral("Override Dial Trims")); }
bool TSWSettings::OverrideDialTrimsAdvanced() {
    return OverrideExists(QStringLiteral("Override Dial Trims Advanced"));
}
bool TSWSettings::OverrideConnectAll() { return OverrideExists(QStringLiteral("Override Connect All")); }
