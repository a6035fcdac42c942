#pragma once
#include <cstdint>
#include <string>

#include "Locklist.h"
#include "Qcmapmode.h"
#include "Qctabledata.h"

// One map position of a device map: its number, name (or note text), tables
// (owned) and the SFM mode (0 not known, 1 off, 2 on).
class TQCPosition {
public:
    TQCPosition() = default;
    explicit TQCPosition(std::int32_t number) : FNumber(number) {}
    // Copies number, name and SFM mode, not the tables.
    TQCPosition(const TQCPosition& source);
    TQCPosition& operator=(const TQCPosition&) = delete;

    std::int32_t FNumber = 0;
    std::string FName;
    TQCTableDataList FTables;
    std::uint8_t FSfmMode = 0;

    // "Map Position " and the number.
    std::string DisplayName() const;
    // The combined Kind of the tables with this type and these X and Y axis
    // ids (both axes present); 0 when none matched.
    std::uint8_t TableMode(int tableType, int xAxisId, int yAxisId) const;
    bool HasTable(int tableType, int xAxisId, int yAxisId) const;

private:
    bool TableFits(const TQCTableData& table, int tableType, int xAxisId, int yAxisId) const;
};

// The positions of one device map, owned.
class TQCPositionList : public TOwningLockList<TQCPosition> {
public:
    TQCPosition* Find(std::int32_t number) const;
    // The position with that number, appended empty when missing.
    TQCPosition* FindOrAdd(std::int32_t number);
    // Ascending numeric order (stable).
    void SortByNumber();
};
