#pragma once
#include <QSettings>
#include <QString>
#include <memory>
#include <stdexcept>

// Thrown when a stored settings value has another type than the one its
// reader expects (a text where a number belongs, say). The message names the
// value and where the settings live, so the user can mend it.
class ESettingsTypeError : public std::runtime_error {
public:
    ESettingsTypeError(const QString& valueName, const QString& location, const QString& expected);
    const QString& ValueName() const { return FValueName; }

private:
    QString FValueName;
};

// Where the settings of one key live, opened afresh for every access (no
// handle stays open between calls). On Windows the key is the registry key
// under the current user; elsewhere it is an INI file under the user's
// configuration folder, derived from the key path. A store is a plain value;
// each Open gives an independent QSettings, so stores may be used from any
// thread as long as one QSettings is not shared between threads.
class TSettingsStore {
public:
    // The store of key for the current user (the one platform choice).
    static TSettingsStore ForKey(const QString& key);
    // A store in the INI file at path (tests, other set-ups).
    static TSettingsStore InFile(const QString& path);

    // Opens the key, or key + "\" + subKey when subKey is given (created on
    // the first write). Destroying the result writes pending changes (closes).
    std::unique_ptr<QSettings> Open(const QString& subKey = QString()) const;
    // The file path or registry path, for messages.
    const QString& Location() const { return FLocation; }

private:
    TSettingsStore(QString location, QSettings::Format format);
    QString FLocation;
    QSettings::Format FFormat;
};

// Closes an open key: writes what is pending and logs a warning when the
// store cannot be written (the program goes on; writes are not checked
// further).
void CloseKey(QSettings& settings);

// The settings file for key below configDir: "\Software\Maker\Product"
// gives configDir + "/Maker/Product.conf" (a leading "Software" is dropped).
QString SettingsFilePathFor(const QString& key, const QString& configDir);

// Typed reads of one value of an open key. A missing value gives def; a value
// of another type throws ESettingsTypeError.
// Booleans: a stored bool, an integer (non-zero is true) or the texts
// "true"/"false"/"1"/"0" (any case).
bool ReadBoolValue(const QSettings& settings, const QString& name, bool def);
// Integers: a stored integer within the 32-bit range (an unsigned 32-bit
// value keeps its bits), or a text holding a decimal integer.
int ReadIntValue(const QSettings& settings, const QString& name, int def);
// Texts: a stored text.
QString ReadTextValue(const QSettings& settings, const QString& name, const QString& def);
