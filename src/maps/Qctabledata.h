#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "Locklist.h"
#include "Qcaxis.h"
#include "Qcmapobj.h"
#include "Qctableid.h"

// Table type codes.
enum : int {
    QC_TABLE_FUEL = 64, QC_TABLE_IGNITION = 65, QC_TABLE_TARGET_AFR = 74, QC_TABLE_INTEGRATOR = 75,
    QC_TABLE_TRIM = 76, QC_TABLE_OFFSET = 77
};

// One table: raw cells row after row, (col, row) at byte offset
// (col + row x ColCount) x DataTypeSize(FDataType).
//
// Engineering values: the value type's raw integer (fuel bytes through the
// fold coding with FFoldPoint and FFoldFactor), then Decimals: raw / 10^d plus
// a display bias of 0.5 / 10^(d+1). Writing reverses this with truncation
// toward zero, mirrored for negative values so that every raw value read and
// written back stays the same, and saturates to the value type's range
// (fuel: -100..250 with the default fold); NaN stores nothing.
//
// The axes and the configuration block are references into the owning device
// map; a table does not own them.
class TQCTableData : public TQCMapObj {
public:
    TQCTableData();
    // A deep copy of source on other axes and another configuration block;
    // values are copied, selectors and flags are not (the caller applies them).
    TQCTableData(const TQCTableData& source, const TQCOutputConfig* config, TQCAxis* yAxis, TQCAxis* xAxis);
    TQCTableData(const TQCTableData&) = delete;
    TQCTableData& operator=(const TQCTableData&) = delete;

    std::uint32_t FSelector = 0;
    std::uint32_t FGearMask = 0;
    std::int32_t FFoldPoint = 60;
    std::int32_t FFoldFactor = 2;
    std::uint8_t FModuleType = 0;
    std::array<std::uint8_t, 4> FCylinders{};
    std::array<std::uint8_t, 6> FGears{};

    double GetValue(int col, int row) const;
    void SetValue(int col, int row, double x);
    int Decimals() const;
    int ColCount() const { return FXAxis ? FXAxis->Count() : 0; }
    int RowCount() const { return FYAxis ? FYAxis->Count() : 0; }
    int CellCount() const;

    int TableType() const { return FTableType; }
    int DataType() const { return FDataType; }
    // Setting a known table type sets its value type; a changed value type and
    // every axis assignment reallocate the cells (zeroed, then every cell set to 0).
    void SetTableType(int code);
    void SetDataType(int type);
    void SetXAxis(TQCAxis* axis);
    void SetYAxis(TQCAxis* axis);
    TQCAxis* XAxis() const { return FXAxis; }
    TQCAxis* YAxis() const { return FYAxis; }
    void SetConfig(const TQCOutputConfig* block) { FConfig = block; }
    const TQCOutputConfig* Config() const { return FConfig; }

    const std::uint8_t* Data() const { return FData.data(); }
    std::uint8_t* Data() { return FData.data(); }
    int DataSize() const { return FDataSize; }

    std::uint8_t GetCylinder(int i) const { return i >= 0 && i < 4 ? FCylinders[static_cast<std::size_t>(i)] : 0; }
    void SetCylinder(int i, std::uint8_t flag);
    std::uint8_t GetGear(int i) const { return i >= 0 && i < 6 ? FGears[static_cast<std::size_t>(i)] : 0; }
    void SetGear(int i, std::uint8_t flag);
    bool IsCylinderSpecific() const;
    bool IsGearSpecific() const;
    // 4 per cylinder and gear, 2 per cylinder, 3 per gear, 1 common.
    int Kind() const;

    std::string TypeName() const;
    std::string GroupName() const;
    std::string CylinderText() const;
    std::string GearText() const;
    static std::string AxisName(const TQCAxis* axis);
    static std::string TypeNameOf(int tableType);
    static std::string GroupNameOf(int tableType);
    // Value type and decimals of a table type (0 and 0 for unknown codes).
    static int TableDataType(int tableType);
    static int TableDecimals(int tableType);

    // -1 when the data sizes differ; otherwise copies every cell and returns 0.
    int CopyValuesFrom(const TQCTableData& other);
    // Copies the cells of this table's shape from other: the raw bytes when
    // both hold the same value type in the same shape, else value by value.
    void CopyCellsFrom(const TQCTableData& other);
    // Refreshes the identity from the current fields and returns it.
    const TQCTableID& BuildID() const;

private:
    std::vector<std::uint8_t> FData;
    std::int32_t FDataSize = 0;
    std::uint8_t FDataType = 0;
    std::uint8_t FTableType = 0;
    TQCAxis* FXAxis = nullptr;
    TQCAxis* FYAxis = nullptr;
    const TQCOutputConfig* FConfig = nullptr;
    mutable TQCTableID FID;

    void Reallocate();
    bool CellOffset(int col, int row, std::size_t& offset) const;
    double FuelRead(std::int64_t byte) const;
    bool FuelWrite(double x, std::int64_t& byte) const;
    bool SameLayoutAs(const TQCTableData& other) const;
};

// The tables of one position, owned.
class TQCTableDataList : public TOwningLockList<TQCTableData> {
public:
    TQCTableData* FindByAddress(std::int32_t address, std::int32_t position) const;
    TQCTableData* FindMatching(const TQCTableID& id, bool checkModule) const;
    TQCTableData* FindCovering(const TQCTableID& id, bool checkModule) const;
};
