#include "Qcposition.h"

#include <algorithm>

TQCPosition::TQCPosition(const TQCPosition& source)
    : FNumber(source.FNumber), FName(source.FName), FSfmMode(source.FSfmMode) {}

std::string TQCPosition::DisplayName() const { return "Map Position " + std::to_string(FNumber); }

bool TQCPosition::TableFits(const TQCTableData& table, int tableType, int xAxisId, int yAxisId) const {
    return table.TableType() == tableType && table.XAxis() && table.YAxis() &&
           table.XAxis()->AxisId() == xAxisId && table.YAxis()->AxisId() == yAxisId;
}

std::uint8_t TQCPosition::TableMode(int tableType, int xAxisId, int yAxisId) const {
    TQCMapMode mode;
    for (TQCTableData* table : FTables.Snapshot())
        if (TableFits(*table, tableType, xAxisId, yAxisId))
            mode.Combine(table->Kind());
    return mode.FMode;
}

bool TQCPosition::HasTable(int tableType, int xAxisId, int yAxisId) const {
    for (TQCTableData* table : FTables.Snapshot())
        if (TableFits(*table, tableType, xAxisId, yAxisId))
            return true;
    return false;
}

TQCPosition* TQCPositionList::Find(std::int32_t number) const {
    std::lock_guard<std::recursive_mutex> guard(Mutex());
    for (int i = 0; i < Count(); ++i)
        if (Get(i)->FNumber == number)
            return Get(i);
    return nullptr;
}

TQCPosition* TQCPositionList::FindOrAdd(std::int32_t number) {
    std::lock_guard<std::recursive_mutex> guard(Mutex());
    if (TQCPosition* found = Find(number))
        return found;
    auto* position = new TQCPosition(number);
    Append(position);
    return position;
}

void TQCPositionList::SortByNumber() {
    std::lock_guard<std::recursive_mutex> guard(Mutex());
    std::vector<TQCPosition*> items = Snapshot();
    std::stable_sort(items.begin(), items.end(),
                     [](const TQCPosition* a, const TQCPosition* b) { return a->FNumber < b->FNumber; });
    while (Count() > 0)
        Extract(Count() - 1);
    for (TQCPosition* p : items)
        Append(p);
}
