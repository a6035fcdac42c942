#include "Recentfileslist.h"

namespace {
const QString KCountName = QStringLiteral("Num Recent Files");
}

TRecentFilesList::TRecentFilesList(const TSettingsStore& registry, const QString& key)
    : FKey(key), FRegistry(&registry) {
    Load();
}

QString TRecentFilesList::EntryName(int index) {
    return QStringLiteral("Recent File %1").arg(index);
}

void TRecentFilesList::Load() {
    FItems.clear();
    const auto settings = FRegistry->Open();
    const int count = ReadIntValue(*settings, KCountName, 0);
    for (int i = 0; i < count && i < KMaxEntries; ++i) {
        if (settings->contains(EntryName(i)))
            FItems << ReadTextValue(*settings, EntryName(i), QString());
    }
}

void TRecentFilesList::Save() {
    const auto settings = FRegistry->Open();
    for (int i = 0; i < KMaxEntries; ++i)
        settings->remove(EntryName(i));
    const int count = std::min<int>(Count(), KMaxEntries);
    for (int i = 0; i < count; ++i)
        settings->setValue(EntryName(i), FItems[i]);
    settings->setValue(KCountName, count);
    CloseKey(*settings);
}

void TRecentFilesList::Add(const QString& path) {
    int index = -1;
    for (int i = 0; i < Count() && index < 0; ++i) {
        if (FItems[i].compare(path, Qt::CaseInsensitive) == 0)
            index = i;
    }
    if (index == 0)
        return;
    if (index > 0) {
        FItems.swapItemsAt(0, index);
    } else {
        while (Count() >= KMaxEntries)
            FItems.removeLast();
        FItems.prepend(path);
    }
    Save();
}

void TRecentFilesList::Clear() {
    FItems.clear();
    Save();
}

QString TRecentFilesList::Item(int index) const {
    if (index < 0 || index >= Count())
        return {};
    return FItems[index];
}
