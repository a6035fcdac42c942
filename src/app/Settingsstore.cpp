#include "Settingsstore.h"

#include <QDebug>
#include <QDir>
#include <QStandardPaths>
#include <QVariant>
#include <limits>

ESettingsTypeError::ESettingsTypeError(const QString& valueName, const QString& location,
                                       const QString& expected)
    : std::runtime_error(QStringLiteral("The settings value \"%1\" in %2 is not %3.")
                             .arg(valueName, location, expected)
                             .toStdString()),
      FValueName(valueName) {}

TSettingsStore::TSettingsStore(QString location, QSettings::Format format)
    : FLocation(std::move(location)), FFormat(format) {}

TSettingsStore TSettingsStore::ForKey(const QString& key) {
#ifdef Q_OS_WIN
    QString path = key;
    if (!path.startsWith(QLatin1Char('\\')))
        path.prepend(QLatin1Char('\\'));
    return TSettingsStore(QStringLiteral("HKEY_CURRENT_USER") + path, QSettings::NativeFormat);
#else
    const QString configDir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return InFile(SettingsFilePathFor(key, configDir));
#endif
}

TSettingsStore TSettingsStore::InFile(const QString& path) {
    return TSettingsStore(path, QSettings::IniFormat);
}

std::unique_ptr<QSettings> TSettingsStore::Open(const QString& subKey) const {
    auto settings = std::make_unique<QSettings>(FLocation, FFormat);
    if (!subKey.isEmpty())
        settings->beginGroup(subKey);
    return settings;
}

void CloseKey(QSettings& settings) {
    settings.sync();
    if (settings.status() != QSettings::NoError)
        qWarning().noquote() << "Settings could not be written to" << settings.fileName();
}

QString SettingsFilePathFor(const QString& key, const QString& configDir) {
    QStringList parts = key.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    if (!parts.isEmpty() && parts.first().compare(QLatin1String("Software"), Qt::CaseInsensitive) == 0)
        parts.removeFirst();
    if (parts.isEmpty())
        parts << QStringLiteral("settings");
    for (QString& part : parts)
        part.replace(QLatin1Char('/'), QLatin1Char('_'));
    parts.last() += QStringLiteral(".conf");
    return QDir(configDir).filePath(parts.join(QLatin1Char('/')));
}

namespace {
bool IsIntegerType(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

[[noreturn]] void ThrowType(const QSettings& settings, const QString& name, const char* expected) {
    throw ESettingsTypeError(name, settings.fileName(), QString::fromLatin1(expected));
}
}  // namespace

bool ReadBoolValue(const QSettings& settings, const QString& name, bool def) {
    if (!settings.contains(name))
        return def;
    const QVariant value = settings.value(name);
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (IsIntegerType(value))
        return value.toLongLong() != 0;
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString().trimmed().toLower();
        if (text == QLatin1String("true") || text == QLatin1String("1"))
            return true;
        if (text == QLatin1String("false") || text == QLatin1String("0"))
            return false;
    }
    ThrowType(settings, name, "a yes/no value");
}

int ReadIntValue(const QSettings& settings, const QString& name, int def) {
    if (!settings.contains(name))
        return def;
    const QVariant value = settings.value(name);
    if (value.typeId() == QMetaType::UInt)
        return static_cast<int>(value.toUInt());
    if (value.typeId() == QMetaType::ULongLong) {
        if (value.toULongLong() <= qulonglong(std::numeric_limits<int>::max()))
            return static_cast<int>(value.toULongLong());
    } else if (IsIntegerType(value)) {
        const qlonglong number = value.toLongLong();
        if (number >= std::numeric_limits<int>::min() && number <= std::numeric_limits<int>::max())
            return static_cast<int>(number);
    }
    if (value.typeId() == QMetaType::QString) {
        bool ok = false;
        const int number = value.toString().trimmed().toInt(&ok, 10);
        if (ok)
            return number;
    }
    ThrowType(settings, name, "an integer");
}

QString ReadTextValue(const QSettings& settings, const QString& name, const QString& def) {
    if (!settings.contains(name))
        return def;
    const QVariant value = settings.value(name);
    if (value.typeId() != QMetaType::QString)
        ThrowType(settings, name, "a text");
    return value.toString();
}
