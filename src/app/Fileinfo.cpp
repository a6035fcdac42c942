#include "Fileinfo.h"

#include <QFileInfo>

#include "Version.h"

namespace {
// The version block built into the program: key and value.
struct TVersionEntry {
    const char* Key;
    const char* Value;
};
constexpr TVersionEntry KVersionBlock[] = {
    {"FileVersion", KZD_FILE_VERSION},
};
}  // namespace

QString TFileInfo::GetVersionValue(const QString& fileName, const QString& key) const {
    if (fileName.isEmpty() || !QFileInfo(fileName).isFile())
        return {};
    for (const auto& entry : KVersionBlock) {
        if (key == QLatin1String(entry.Key))
            return QString::fromLatin1(entry.Value);
    }
    return {};
}

QString MainCaption(const QString& captionTitle, const std::optional<QString>& version) {
    return captionTitle + QStringLiteral(" [") + version.value_or(QStringLiteral("X.X.X.X")) +
           QStringLiteral("]");
}

QString MainCaptionForProgram(const QString& captionTitle, const QString& programFile) {
    std::optional<QString> version;
    try {
        TFileInfo info;
        version = info.GetVersionValue(programFile, QStringLiteral("FileVersion"));
    } catch (...) {
        version.reset();
    }
    return MainCaption(captionTitle, version);
}
