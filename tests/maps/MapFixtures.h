#pragma once
// Builders of in-memory maps for the map, command-line and benchmark code.
#include <string>

#include "Qcmap.h"

namespace MapFixtures {

// Adds axes, headers and tables to one device map the way a reader would
// leave them: unique addresses, flags applied from every header.
class TDeviceMapBuilder {
public:
    explicit TDeviceMapBuilder(TQCDeviceMap& deviceMap, int firstAddress = 1000)
        : FMap(deviceMap), FNextAddress(firstAddress) {}

    TQCAxis* AddAxis(int axisId, int count, double first, double step, int position = 1) {
        auto* axis = new TQCAxis;
        axis->SetAxisId(axisId);
        axis->SetCount(count);
        axis->FPosition = position;
        axis->FAddress = FNextAddress++;
        for (int i = 0; i < count; ++i)
            axis->SetValue(i, first + i * step);
        FMap.FAxes.Append(axis);
        return axis;
    }

    // A header of the given type and selector; a new table unless shared is given.
    TQCTableData* AddTable(int tableType, int selector, int gearMask, TQCAxis* x, TQCAxis* y,
                           TQCTableData* shared = nullptr, int position = 1) {
        auto* header = new TQCHeader;
        header->FRecord[0] = static_cast<std::uint8_t>(position & 0x3F);
        header->FRecord[1] = static_cast<std::uint8_t>(tableType);
        header->FRecord[2] = static_cast<std::uint8_t>(gearMask);
        header->FRecord[3] = static_cast<std::uint8_t>(selector);
        header->FPosition = position;
        header->FAddress = FNextAddress++;
        header->FXAxis = x;
        header->FYAxis = y;
        TQCTableData* table = shared ? shared : NewTable(tableType, selector, gearMask, x, y, position);
        header->FTable = table;
        FMap.ApplySelectors(*table, *header);
        FMap.FHeaders.Append(header);
        return table;
    }

    // Raw bytes that differ from cell to cell and from table to table.
    static void FillPattern(TQCTableData& table, int seed) {
        for (int i = 0; i < table.DataSize(); ++i)
            table.Data()[i] = static_cast<std::uint8_t>(seed * 37 + i * 11 + (i >> 4));
    }

private:
    TQCTableData* NewTable(int tableType, int selector, int gearMask, TQCAxis* x, TQCAxis* y, int position) {
        auto* table = new TQCTableData;
        table->FModuleType = FMap.FModuleType;
        table->SetTableType(tableType);
        table->FSelector = static_cast<std::uint32_t>(selector);
        table->FGearMask = static_cast<std::uint32_t>(gearMask);
        table->SetXAxis(x);
        table->SetYAxis(y);
        table->FPosition = position;
        table->FAddress = FNextAddress++;
        table->SetConfig(&FMap.FOutputConfig);
        FillPattern(*table, FNextAddress);
        FMap.FPositions.FindOrAdd(position)->FTables.Append(table);
        return table;
    }

    TQCDeviceMap& FMap;
    int FNextAddress;
};

// Four cylinders, six gears, outputs 0..3 on cylinders 0..3, two O2 sensors.
inline void SetTypicalConfig(TQCDeviceMap& deviceMap) {
    deviceMap.FOutputConfig = {4, 4, 6, 0, 1, 2, 3, 1, 1, 2, 2};
    deviceMap.FBankConfig = {1, 2, 3, 4, 2, 5, 6, 7, 8, 9, 0x03, 11, 12, 13, 0x0C};
}

inline std::string LongName(std::size_t length, char first) {
    std::string name;
    for (std::size_t i = 0; i < length; ++i)
        name += static_cast<char>(first + static_cast<char>(i % 26));
    return name;
}

// A KZD device map holding one table of every type (fuel also over
// pressure), one table shared by two headers, in position 1.
inline void BuildKzdMap(TQCDeviceMap& deviceMap, const std::string& name) {
    SetTypicalConfig(deviceMap);
    deviceMap.FMapType = 0x1234;
    TDeviceMapBuilder build(deviceMap);
    TQCAxis* tps = build.AddAxis(QC_AXIS_TPS, 10, 0, 10.5);
    TQCAxis* rpm = build.AddAxis(QC_AXIS_RPM, 20, 500, 500);
    TQCTableData* fuel = build.AddTable(QC_TABLE_FUEL, 208, 0x3F, tps, rpm);
    build.AddTable(QC_TABLE_FUEL, 209, 0x3F, tps, rpm, fuel);
    build.AddTable(QC_TABLE_IGNITION, 212, 0x03, tps, rpm);
    TQCAxis* pressure = build.AddAxis(QC_AXIS_PRESSURE, 12, -20.5, 10.25);
    build.AddTable(QC_TABLE_FUEL, 210, 0x3F, pressure, rpm);
    build.AddTable(QC_TABLE_TARGET_AFR, 124, 0x3F, tps, rpm);
    build.AddTable(QC_TABLE_INTEGRATOR, 122, 0x3F, tps, rpm);
    build.AddTable(QC_TABLE_TRIM, 127, 0x3F, tps, rpm);
    build.AddTable(QC_TABLE_OFFSET, 236, 0x3F, tps, rpm);
    deviceMap.FPositions.Find(1)->FName = name;
}

// A small device map: one fuel table (and its axes) in position 1.
inline void BuildSmallMap(TQCDeviceMap& deviceMap, int firstAddress, const std::string& name) {
    SetTypicalConfig(deviceMap);
    deviceMap.FMapType = 0x40u + deviceMap.FModuleType;
    TDeviceMapBuilder build(deviceMap, firstAddress);
    TQCAxis* tps = build.AddAxis(QC_AXIS_TPS, 5, 0, 25);
    TQCAxis* rpm = build.AddAxis(QC_AXIS_RPM, 4, 1000, 1000);
    build.AddTable(QC_TABLE_FUEL, 208, 0x01, tps, rpm);
    build.AddTable(QC_TABLE_IGNITION, 213, 0x01, tps, rpm);
    deviceMap.FPositions.Find(1)->FName = name;
}

// Every device map in use: primary, secondary, ignition and KZD, each in
// position 1, with the fields a load sets (secondary bank configuration,
// SFM mode) already as a load gives them.
inline void BuildFullMap(TQCMap& map) {
    BuildSmallMap(*map.PrimaryMap(), 100, LongName(255, 'a'));
    BuildSmallMap(*map.SecondaryMap(), 200, "");
    BuildSmallMap(*map.IgnitionMap(), 300, "Ignition \"quoted\"\\ name");
    BuildKzdMap(*map.KZDMap(), LongName(40, 'K'));
    map.SecondaryMap()->FBankConfig = map.PrimaryMap()->FBankConfig;
    map.PrimaryMap()->FPositions.Find(1)->FSfmMode = 2;
}

}  // namespace MapFixtures
