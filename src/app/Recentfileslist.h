#pragma once
#include <QString>
#include <QStringList>

#include "Settingsstore.h"

// The recently opened or saved map files, kept in the settings key as
// "Num Recent Files" and "Recent File 0" to "Recent File 4" (0 the most
// recent). Loaded once at construction, saved at every change. Main thread.
class TRecentFilesList {
public:
    static constexpr int KMaxEntries = 5;

    // Loads at once. A stored value of the wrong type throws
    // ESettingsTypeError; a missing entry is skipped.
    TRecentFilesList(const TSettingsStore& registry, const QString& key);

    // A path already at the front: nothing. A path found further down
    // (ignoring case) swaps places with the front entry. A new path goes to
    // the front, dropping the oldest entry when the list is full. Saves.
    void Add(const QString& path);
    // Empties the list and saves (the stored entries are removed).
    void Clear();
    int Count() const { return int(FItems.size()); }
    // The entry at index (0 the most recent); empty outside 0..Count()-1.
    QString Item(int index) const;

private:
    void Load();
    void Save();
    static QString EntryName(int index);

    QStringList FItems;
    QString FKey;
    const TSettingsStore* FRegistry;
};
