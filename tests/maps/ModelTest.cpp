#include <gtest/gtest.h>

#include "MapFixtures.h"
#include "Qcmap.h"

namespace {

using MapFixtures::TDeviceMapBuilder;

struct TKindCase {
    int TableType;
    std::array<std::uint8_t, 4> Cylinders;
    std::array<std::uint8_t, 6> Gears;
    std::uint8_t CylinderCount, GearCount;
    int Kind;
};

class TableKind : public ::testing::TestWithParam<TKindCase> {};

TEST_P(TableKind, FollowsFlagsWithinTheConfiguredCounts) {
    const TKindCase c = GetParam();
    TQCOutputConfig config{};
    config[1] = c.CylinderCount;
    config[2] = c.GearCount;
    TQCTableData table;
    table.SetTableType(c.TableType);
    table.SetConfig(&config);
    table.FCylinders = c.Cylinders;
    table.FGears = c.Gears;
    EXPECT_EQ(table.Kind(), c.Kind);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, TableKind,
    ::testing::Values(TKindCase{64, {1, 1, 1, 1}, {1, 1, 1, 1, 1, 1}, 4, 6, 1},
                      TKindCase{64, {1, 0, 1, 1}, {1, 1, 1, 1, 1, 1}, 4, 6, 2},
                      TKindCase{64, {1, 0, 0, 0}, {1, 1, 1, 1, 1, 1}, 1, 6, 1},
                      TKindCase{64, {1, 1, 1, 1}, {1, 1, 0, 1, 1, 1}, 4, 6, 3},
                      TKindCase{64, {0, 1, 1, 1}, {1, 1, 1, 1, 1, 0}, 4, 6, 4},
                      TKindCase{64, {1, 1, 1, 1}, {1, 1, 1, 1, 1, 0}, 4, 5, 1},
                      // Counts beyond what the flags hold act as the largest count.
                      TKindCase{64, {1, 1, 1, 1}, {1, 1, 1, 1, 1, 1}, 200, 255, 1},
                      TKindCase{77, {1, 1, 0, 0}, {1, 1, 1, 1, 1, 1}, 4, 6, 1},
                      TKindCase{77, {1, 0, 1, 1}, {1, 1, 1, 1, 1, 1}, 0, 6, 2}));

TEST(TableKind, WithoutConfigurationIsCommon) {
    TQCTableData table;
    table.SetTableType(QC_TABLE_FUEL);
    EXPECT_EQ(table.Kind(), 1);
}

TEST(MapMode, CombinesKinds) {
    struct TCase {
        std::uint8_t Mode;
        int Kind;
        std::uint8_t Result;
    };
    const TCase cases[] = {{0, 3, 3}, {1, 2, 2}, {3, 2, 4}, {4, 2, 4}, {1, 3, 3}, {2, 3, 4},
                           {2, 1, 2}, {1, 4, 4}, {3, 1, 3}, {2, 2, 2}};
    for (const TCase& c : cases) {
        TQCMapMode mode;
        mode.FMode = c.Mode;
        mode.Combine(c.Kind);
        EXPECT_EQ(mode.FMode, c.Result) << int(c.Mode) << " + " << c.Kind;
    }
}

TEST(TableNames, TypeGroupCylinderAndGearTexts) {
    TQCAxis pressure, rpm;
    pressure.SetAxisId(QC_AXIS_PRESSURE);
    rpm.SetAxisId(QC_AXIS_RPM);
    TQCTableData table;
    table.SetTableType(QC_TABLE_FUEL);
    EXPECT_EQ(table.TypeName(), "Fuel");
    EXPECT_EQ(table.CylinderText(), "Cylinder ");
    table.SetXAxis(&pressure);
    table.SetYAxis(&rpm);
    EXPECT_EQ(table.TypeName(), "Fuel (Pressure)");
    table.SetCylinder(0, 1);
    table.SetCylinder(2, 1);
    table.SetCylinder(7, 1);
    EXPECT_EQ(table.CylinderText(), "Cylinder 1,3");
    for (int g : {1, 2, 3})
        table.SetGear(g, 1);
    EXPECT_EQ(table.GearText(), "Gear 2,3,4");
    EXPECT_EQ(TQCTableData::AxisName(&rpm), "RPM");
    const std::pair<int, const char*> groups[] = {{64, "Fuel"}, {65, "Ignition"}, {74, "Auto Tune"},
                                                 {75, "Auto Tune"}, {76, "Auto Tune"}, {77, "O2"}, {90, ""}};
    for (auto [type, group] : groups)
        EXPECT_EQ(TQCTableData::GroupNameOf(type), group);
    TQCTableData offset;
    offset.SetTableType(QC_TABLE_OFFSET);
    offset.SetCylinder(1, 1);
    EXPECT_EQ(offset.CylinderText(), "Sensor 2");
    EXPECT_EQ(offset.TypeName(), "Offset (Volts)");
    EXPECT_EQ(offset.Decimals(), 3);
}

struct TSelectorCase {
    int TableType, Selector, GearMask;
    std::array<std::uint8_t, 4> Cylinders;
    std::array<std::uint8_t, 6> Gears;
};

class Selectors : public ::testing::TestWithParam<TSelectorCase> {};

// Outputs 0..3 serve cylinders 2, 3, 0, 1; sensor 1 serves cylinders 0 and 1
// (mask 3), sensor 2 cylinder 3 (mask 8), four gears configured.
TEST_P(Selectors, SetTheFlagsOfTheConfiguration) {
    const TSelectorCase c = GetParam();
    TQCDeviceMap map;
    map.FOutputConfig = {4, 4, 4, 2, 3, 0, 1, 1, 1, 1, 1};
    map.FBankConfig[10] = 0x03;
    map.FBankConfig[14] = 0x08;
    TQCHeader header;
    header.FRecord[1] = static_cast<std::uint8_t>(c.TableType);
    header.FRecord[2] = static_cast<std::uint8_t>(c.GearMask);
    header.FRecord[3] = static_cast<std::uint8_t>(c.Selector);
    TQCTableData table;
    map.ApplySelectors(table, header);
    EXPECT_EQ(table.FCylinders, c.Cylinders);
    EXPECT_EQ(table.FGears, c.Gears);
}

INSTANTIATE_TEST_SUITE_P(
    Types, Selectors,
    ::testing::Values(TSelectorCase{64, 208, 0x01, {0, 0, 1, 0}, {1, 0, 0, 0, 0, 0}},
                      TSelectorCase{64, 211, 0xFF, {0, 1, 0, 0}, {1, 1, 1, 1, 0, 0}},
                      TSelectorCase{64, 100, 0, {1, 0, 0, 0}, {}},  // another selector sets cylinder 0
                      TSelectorCase{65, 213, 0x0A, {0, 0, 0, 1}, {0, 1, 0, 1, 0, 0}},
                      TSelectorCase{74, 124, 0, {0, 0, 1, 1}, {}}, TSelectorCase{74, 125, 0, {0, 1, 0, 0}, {}},
                      TSelectorCase{75, 123, 0, {0, 1, 0, 0}, {}}, TSelectorCase{76, 126, 0, {0, 0, 1, 1}, {}},
                      TSelectorCase{76, 200, 0, {0, 0, 0, 0}, {}}, TSelectorCase{77, 237, 0, {0, 1, 0, 0}, {}}));

TEST(Selectors, HugeCountsActAsTheLargestRepresentable) {
    TQCDeviceMap map;
    map.FOutputConfig = {4, 200, 255, 0, 1, 2, 3, 1, 1, 1, 1};
    TQCHeader header;
    header.FRecord[1] = QC_TABLE_FUEL;
    header.FRecord[2] = 0xFF;
    header.FRecord[3] = 211;
    TQCTableData table;
    map.ApplySelectors(table, header);
    EXPECT_EQ(table.FCylinders, (std::array<std::uint8_t, 4>{0, 0, 0, 1}));
    EXPECT_EQ(table.FGears, (std::array<std::uint8_t, 6>{1, 1, 1, 1, 1, 1}));
}

TEST(TableIds, MatchAndCover) {
    TQCTableID a, b;
    a.FTableType = b.FTableType = 64;
    a.FXAxisId = b.FXAxisId = 197;
    a.FYAxisId = b.FYAxisId = 28;
    a.SetCylinder(0, 1);
    a.SetCylinder(1, 1);
    b.SetCylinder(1, 1);
    EXPECT_FALSE(a.Matches(b, true));
    EXPECT_TRUE(a.Covers(b, true));
    EXPECT_FALSE(b.Covers(a, true));
    b.SetCylinder(0, 1);
    EXPECT_TRUE(a.Matches(b, true));
    b.FModuleType = 6;
    EXPECT_FALSE(a.Matches(b, true));
    EXPECT_TRUE(a.Matches(b, false));
    b.FPosition = 2;
    EXPECT_FALSE(a.Covers(b, false));
    a.SetGear(9, 1);
    EXPECT_EQ(a.GetGear(9), 0);
}

TEST(DeviceMapCopy, KeepsAddressIdentityOfSharedTables) {
    TQCDeviceMap source(QC_MODULE_KZD);
    MapFixtures::BuildKzdMap(source, "Shared");
    TQCDeviceMap copy(source);
    ASSERT_EQ(copy.FHeaders.Count(), source.FHeaders.Count());
    EXPECT_EQ(copy.TableCount(), source.TableCount());
    EXPECT_EQ(copy.FAxes.Count(), 3);
    TQCHeader* first = copy.FHeaders.Get(0);
    TQCHeader* second = copy.FHeaders.Get(1);
    EXPECT_EQ(first->FTable, second->FTable) << "one table for both headers";
    EXPECT_NE(first->FTable, source.FHeaders.Get(0)->FTable);
    EXPECT_EQ(first->FTable->FCylinders, (std::array<std::uint8_t, 4>{1, 1, 0, 0}));
    EXPECT_EQ(first->FTable->Config(), &copy.FOutputConfig);
    EXPECT_EQ(copy.FAxes.IndexOf(first->FXAxis), 0);
    for (int i = 0; i < source.FHeaders.Count(); ++i) {
        const TQCTableData* a = source.FHeaders.Get(i)->FTable;
        const TQCTableData* b = copy.FHeaders.Get(i)->FTable;
        ASSERT_EQ(a->DataSize(), b->DataSize());
        EXPECT_EQ(std::vector<std::uint8_t>(a->Data(), a->Data() + a->DataSize()),
                  std::vector<std::uint8_t>(b->Data(), b->Data() + b->DataSize()));
        EXPECT_EQ(a->FCylinders, b->FCylinders);
        EXPECT_EQ(a->FGears, b->FGears);
    }
    EXPECT_EQ(copy.FPositions.Get(0)->FName, "Shared");
}

TEST(DeviceMapCopy, PositionCopyRenumbersHeadersAxesAndTables) {
    TQCDeviceMap map(QC_MODULE_KZD);
    MapFixtures::BuildKzdMap(map, "One");
    map.CopyPositionAxes(map, 1, 5);
    map.CopyPositionHeaders(map, 1, 5);
    map.CopyPositionName(map, 1, 5);
    EXPECT_EQ(map.FAxes.Count(), 6);
    EXPECT_EQ(map.FHeaders.Count(), 16);
    TQCPosition* five = map.FPositions.Find(5);
    ASSERT_NE(five, nullptr);
    EXPECT_EQ(five->FTables.Count(), 7);
    EXPECT_EQ(five->FName, "One");
    const TQCHeader* moved = map.FHeaders.Get(8);
    EXPECT_EQ(moved->FPosition, 5);
    EXPECT_EQ(moved->FRecord[0] & 0x3F, 5);
    EXPECT_EQ(moved->FXAxis->FPosition, 5);
    EXPECT_EQ(moved->FTable->FPosition, 5);
    EXPECT_EQ(map.FHeaders.Get(9)->FTable, moved->FTable);
}

TEST(DeviceMapCopy, CopyValuesKeepsNegativeOffsets) {
    TQCDeviceMap source(QC_MODULE_KZD);
    MapFixtures::BuildKzdMap(source, "");
    TQCTableData* offset = source.FPositions.Get(0)->FTables.Get(6);
    ASSERT_EQ(offset->TableType(), QC_TABLE_OFFSET);
    QCRaw::Write(offset->Data(), QC_TYPE_S16, -250);
    TQCDeviceMap target(source);
    TQCTableData* copied = target.FPositions.Get(0)->FTables.Get(6);
    EXPECT_EQ(QCRaw::Read(copied->Data(), QC_TYPE_S16), -250);
    QCRaw::Write(copied->Data(), QC_TYPE_S16, 0);
    target.CopyValuesFrom(source);
    EXPECT_EQ(QCRaw::Read(copied->Data(), QC_TYPE_S16), -250);
}

TEST(DeviceMapFigures, MemoryUsageAndRenumber) {
    TQCDeviceMap map;
    TDeviceMapBuilder build(map);
    TQCAxis* rpmA = build.AddAxis(QC_AXIS_RPM, 20, 500, 500);
    TQCAxis* rpmB = build.AddAxis(QC_AXIS_RPM, 20, 500, 500);
    for (int i = 0; i < 10; ++i)
        build.AddTable(QC_TABLE_IGNITION, 212, 0, i % 2 ? rpmA : rpmB, rpmA);
    EXPECT_DOUBLE_EQ(map.HeaderMemoryUsage(), (160.0 + 2 * 44) / 2046 * 100);
    EXPECT_DOUBLE_EQ(map.TableMemoryUsage(), 4000.0 / 24574 * 100);
    EXPECT_EQ(map.TableBytes(), 4000);
    map.Renumber();
    EXPECT_EQ(map.FHeaders.Get(9)->FAddress, 9);
    EXPECT_EQ(map.FAxes.Get(0)->FAddress, 10);
    EXPECT_EQ(map.FPositions.Get(0)->FTables.Get(0)->FAddress, 12);
    TQCDeviceMap empty;
    EXPECT_EQ(empty.TableMemoryUsage(), 0);
}

struct TRpmCase {
    int First, Last, Step;
    int Count;  // breakpoints afterwards
};

class RpmStep : public ::testing::TestWithParam<TRpmCase> {};

TEST_P(RpmStep, RespacesOnlyWhatFits) {
    const TRpmCase c = GetParam();
    TQCDeviceMap map;
    TDeviceMapBuilder build(map);
    TQCAxis* tps = build.AddAxis(QC_AXIS_TPS, 4, 0, 25);
    TQCAxis* rpm = build.AddAxis(QC_AXIS_RPM, 2, c.First, c.Last - c.First);
    TQCTableData* table = build.AddTable(QC_TABLE_FUEL, 208, 0, tps, rpm);
    map.SetRpmStep(1, c.Step);
    EXPECT_EQ(rpm->Count(), c.Count);
    EXPECT_EQ(rpm->GetValue(0), c.First);
    EXPECT_EQ(table->DataSize(), 4 * c.Count);
    if (c.Count > 2) {
        EXPECT_EQ(map.RpmStep(1), c.Step);
        EXPECT_EQ(rpm->GetValue(c.Count - 1), c.First + (c.Count - 1) * c.Step);
        EXPECT_EQ(table->Data()[0], 100) << "tables on the axis are reallocated";
    }
}

INSTANTIATE_TEST_SUITE_P(Steps, RpmStep,
                         ::testing::Values(TRpmCase{500, 9500, 500, 19}, TRpmCase{500, 9500, 50, 2},
                                           TRpmCase{9500, 500, 500, 2}, TRpmCase{500, 9500, 0, 2},
                                           TRpmCase{500, 9500, 20000, 2}, TRpmCase{1000, 2000, 300, 4}));

TEST(Positions, FindOrAddSortAndModes) {
    TQCDeviceMap map;
    map.FOutputConfig[1] = 4;
    TDeviceMapBuilder build(map);
    TQCAxis* tps = build.AddAxis(QC_AXIS_TPS, 2, 0, 50, 3);
    TQCAxis* rpm = build.AddAxis(QC_AXIS_RPM, 2, 500, 500, 3);
    build.AddTable(QC_TABLE_FUEL, 208, 0, tps, rpm, nullptr, 3);
    map.FPositions.FindOrAdd(1);
    EXPECT_EQ(map.FPositions.FindOrAdd(3), map.FPositions.Get(0));
    map.FPositions.SortByNumber();
    EXPECT_EQ(map.FPositions.Get(0)->FNumber, 1);
    EXPECT_EQ(map.FPositions.Get(1)->DisplayName(), "Map Position 3");
    EXPECT_TRUE(map.HasTable(3, QC_TABLE_FUEL, QC_AXIS_RPM, QC_AXIS_TPS));
    EXPECT_FALSE(map.HasTable(3, QC_TABLE_FUEL, QC_AXIS_TPS, QC_AXIS_RPM));
    EXPECT_EQ(map.TableMode(3, QC_TABLE_FUEL, QC_AXIS_RPM, QC_AXIS_TPS), 2) << "only cylinder 1 of 4";
    EXPECT_EQ(map.TableMode(7, QC_TABLE_FUEL, QC_AXIS_RPM, QC_AXIS_TPS), 0);
}

TEST(Map, DeviceMapsCopiesAndEmptiness) {
    TQCMap map;
    ASSERT_EQ(map.FDeviceMaps.Count(), 4);
    EXPECT_EQ(map.FDeviceMaps.Get(3)->FModuleType, QC_MODULE_KZD);
    EXPECT_EQ(map.GetDeviceMap(QC_MODULE_KZR), nullptr);
    EXPECT_TRUE(map.IsEmpty());
    MapFixtures::BuildFullMap(map);
    EXPECT_EQ(map.UsedDeviceMaps(), 4);
    map.FSource = 2;
    map.SetFileName("/some/folder/a.kzm");
    EXPECT_EQ(map.FFileName, "a.kzm");
    TQCMap copy(map);
    EXPECT_EQ(copy.FSource, 2);
    EXPECT_EQ(copy.UsedDeviceMaps(), 4);
    EXPECT_EQ(copy.KZDMap()->TableBytes(), map.KZDMap()->TableBytes());
    EXPECT_EQ(copy.AddCopyOf(*map.KZDMap()), copy.KZDMap()) << "an existing device map is not copied again";
    EXPECT_EQ(copy.PrimaryMap()->ModuleName(), "Primary Module");
    EXPECT_EQ(copy.KZDMap()->ModuleName(), "");
    copy.Clear();
    EXPECT_TRUE(copy.IsEmpty());
    EXPECT_EQ(copy.FSource, 0);
    EXPECT_EQ(copy.KZDMap()->FMapType, 0x1234u) << "clear keeps the map type";
    EXPECT_EQ(copy.KZDMap()->FOutputConfig[1], 0);
}

TEST(Locks, ListAndMapLocksAreReentrant) {
    TQCMap map;
    MapFixtures::BuildFullMap(map);
    map.Lock();
    TQCDeviceMap* kzd = map.KZDMap();
    kzd->Lock();
    kzd->FPositions.Lock();
    EXPECT_FALSE(map.IsEmpty());
    kzd->CopyNamesFrom(*map.KZDMap());
    kzd->FPositions.Get(0)->FTables.Remove(kzd->FPositions.Get(0)->FTables.Get(0));
    kzd->FPositions.Unlock();
    kzd->Unlock();
    map.Unlock();
    EXPECT_EQ(kzd->TableCount(), 6);
}

}  // namespace
