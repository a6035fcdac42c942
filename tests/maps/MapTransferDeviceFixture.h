#pragma once
// A simulated KZD unit on a report link, a device manager over it and the
// helpers the device transfer tests share.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "Devicemanager.h"
#include "MapFixtures.h"
#include "Qcmaptransferdevice.h"
#include "Simulator.h"
#include "Simunit.h"
#include "Uibridge.h"

class MapTransferDeviceTest : public ::testing::Test {
protected:
    explicit MapTransferDeviceTest(std::uint16_t productId = 0x0506) : FProductId(productId) {}

    void SetUp() override {
        TSimUnitOptions options;
        options.ProductId = FProductId;
        Unit = &Sim.AddUnit(options);
        Manager = std::make_unique<TDevManager>(UI, MakeHIDBackend(TDeviceSource{Sim.LinkDir()}));
        ASSERT_TRUE(Manager->RunEnumeration(10000));
        if (!Manager->IsConnected(Id())) {
            ASSERT_TRUE(Manager->RunEnumeration(10000));
        }
        ASSERT_TRUE(Manager->IsConnected(Id()));
        Unit->ResetCounts();
    }
    void TearDown() override { Manager.reset(); }

    TDeviceID Id() const {
        return TDeviceID(nullptr, FProductId, KConnUSB, FProductId == 0x0506 ? KDevKindKZD : KDevKindQC7);
    }
    int Read(TQCMap& map) {
        TQCMapTransferDevice transfer(&map, &UI);
        return transfer.ReadMap(Manager.get(), Id());
    }
    int Send(TQCMap& map) {
        TQCMapTransferDevice transfer(&map, &UI);
        return transfer.SendMap(Manager.get(), Id());
    }
    std::vector<std::uint8_t> MapArea() const { return Unit->Fram(0, 0x8000); }

    TSimulator Sim;
    TSimUnit* Unit = nullptr;
    TPlainUIBridge UI;
    std::unique_ptr<TDevManager> Manager;

private:
    std::uint16_t FProductId;
};

namespace MapTransferTestSupport {

// One position of fuel tables, each table on axes of its own: cols x rows cells.
inline void AddFuelTables(TQCDeviceMap& deviceMap, const std::vector<std::pair<int, int>>& shapes, int position = 1) {
    MapFixtures::TDeviceMapBuilder build(deviceMap, 100 + 1000 * position);
    for (const auto& [cols, rows] : shapes) {
        TQCAxis* x = build.AddAxis(QC_AXIS_TPS, cols, 0, 1, position);
        TQCAxis* y = build.AddAxis(QC_AXIS_RPM, rows, 500, 100, position);
        build.AddTable(QC_TABLE_FUEL, 208, 0x3F, x, y, nullptr, position);
    }
}

// What a read gives back of a device map: header records, axis blocks,
// table bytes and names, in list order.
inline std::vector<std::vector<std::uint8_t>> Contents(const TQCDeviceMap& deviceMap) {
    std::vector<std::vector<std::uint8_t>> parts;
    for (const TQCHeader* header : deviceMap.FHeaders.Snapshot())
        parts.emplace_back(header->FRecord.begin(), header->FRecord.end());
    for (const TQCAxis* axis : deviceMap.FAxes.Snapshot())
        parts.emplace_back(axis->FData.begin(), axis->FData.end());
    for (const TQCPosition* position : deviceMap.FPositions.Snapshot()) {
        parts.emplace_back(position->FName.begin(), position->FName.end());
        parts.back().push_back(static_cast<std::uint8_t>(position->FNumber));
        for (const TQCTableData* table : position->FTables.Snapshot())
            parts.emplace_back(table->Data(), table->Data() + table->DataSize());
    }
    return parts;
}

// The model's own addresses of a device map (what a failed send must keep).
inline std::vector<std::int32_t> Addresses(const TQCDeviceMap& deviceMap) {
    std::vector<std::int32_t> addresses;
    for (const TQCAxis* axis : deviceMap.FAxes.Snapshot())
        addresses.push_back(axis->FAddress);
    for (const TQCPosition* position : deviceMap.FPositions.Snapshot())
        for (const TQCTableData* table : position->FTables.Snapshot())
            addresses.push_back(table->FAddress);
    return addresses;
}

}  // namespace MapTransferTestSupport
