#include <gtest/gtest.h>

#include <set>

#include "Qksfilesection.h"
#include "UpdateFileBuilder.h"

namespace {

struct TItemCase {
    int Structure;
    int Id;
    const char* Name;
    int Offset;
    std::uint8_t Type;
};

class CatalogueItem : public ::testing::TestWithParam<TItemCase> {};

TEST_P(CatalogueItem, HasNameOffsetAndType) {
    const auto& c = GetParam();
    const TQKSCfgItemList* items = TQKSFileSection::ItemsOf(c.Structure);
    ASSERT_NE(items, nullptr);
    const TQKSCfgItem* item = items->FindById(c.Id);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->Name(), c.Name);
    EXPECT_EQ(item->Offset(), c.Offset);
    EXPECT_EQ(item->ValueType(), c.Type);
}

INSTANTIATE_TEST_SUITE_P(
    Items, CatalogueItem,
    ::testing::Values(TItemCase{22, 1, "Size", 0, KValueU32}, TItemCase{22, 2, "Mode", 4, KValueU8},
                      TItemCase{22, 3, "Run Time", 5, KValueU32},
                      TItemCase{22, 25, "Temperature Table Trim 9", 40, KValueS8},
                      TItemCase{19, 5, "Minimum RPM", 7, KValueU16}, TItemCase{19, 7, "Kill Time 0", 11, KValueU32},
                      TItemCase{19, 8, "Channel Mode 0", 31, KValueU8},
                      TItemCase{19, 15, "Kill Time 4", 27, KValueU32},
                      TItemCase{19, 14, "Channel Mode 3", 34, KValueU8},
                      TItemCase{10, 8, "Volts 0", 12, KValueU16}, TItemCase{10, 9, "Percent 0", 32, KValueU16},
                      TItemCase{10, 10, "Volts 1", 14, KValueU16}, TItemCase{10, 27, "Percent 9", 50, KValueU16},
                      TItemCase{27, 243, "Channel Timeout 15", 743, KValueU16},
                      TItemCase{27, 4, "Channel Mask ID 0", 9, KValueU32},
                      TItemCase{15, 2, "Sensor Flags 0", 4, KValueU8},
                      TItemCase{15, 7, "Sensor 0 Voltage 0", 10, KValueU16},
                      TItemCase{15, 26, "Sensor 0 Pressure 9", 48, KValueS16},
                      TItemCase{15, 27, "Sensor Flags 1", 50, KValueU8},
                      TItemCase{15, 52, "Num Sensors", 96, KValueU32},
                      TItemCase{29, 5, "Percent Low 0", 9, KValueS16},
                      TItemCase{30, 9, "Pulse Width 1", 14, KValueU32}, TItemCase{30, 26, "Percent 9", 68, KValueU16},
                      TItemCase{23, 3, "Trigger ROC", 5, KValueS16}, TItemCase{23, 5, "Adjustment", 9, KValueS8},
                      TItemCase{8, 51, "Output Max Acceleration", 89, KValueU16},
                      TItemCase{2, 14, "Feature Flags", 19, KValueU32}));

struct TStructureCase {
    int Number;
    const char* Name;
    int Size;
    int Items;
    int UsedBytes;  // bytes covered by items (smaller where fields have no item)
};

// Sizes and item counts as the structures' table states them, independent of
// the field lists that the catalogue expands.
const TStructureCase KStructures[] = {
    {2, "System", 23, 14, 23},         {3, "ADC", 64, 37, 64},          {4, "DAC", 37, 15, 37},
    {6, "Device", 24, 9, 24},          {7, "Channel", 104, 53, 104},    {8, "VR", 93, 51, 91},
    {10, "TPS", 52, 27, 52},           {11, "Speed/Gear", 95, 37, 95},  {12, "J1850", 14, 4, 14},
    {13, "System Voltage", 9, 5, 9},   {14, "Engine Temp", 50, 26, 50}, {15, "Pressure", 100, 52, 100},
    {16, "Wideband", 15, 9, 15},       {17, "Feature", 44, 2, 8},       {18, "Map Switch", 9, 5, 9},
    {19, "Quick Shift", 36, 14, 33},   {20, "Rev Limit", 18, 10, 18},   {21, "Rev X-tend", 45, 26, 45},
    {22, "Start Fuel", 41, 25, 41},    {23, "Accel Pump", 10, 5, 10},   {24, "Auto Tune", 46, 30, 46},
    {25, "Network", 23, 14, 23},       {26, "Can Tx", 42, 11, 42},      {27, "Can Rx", 745, 243, 745},
    {28, "O2", 71, 35, 71},            {29, "Trim Pot", 41, 23, 41},    {30, "Pulse Width Tuning", 70, 26, 70},
    {31, "Global Trim", 25, 12, 25},   {32, "Multiple Map Switch", 16, 13, 16},
};

// Every item list: the stated count, ids 1..count without gaps (Quick Shift:
// no 6), fields that do not overlap and lie inside the structure.
TEST(Catalogue, EveryStructureMatchesItsSizeAndItemCount) {
    for (const auto& s : KStructures) {
        SCOPED_TRACE(s.Name);
        const TQKSCfgItemList* items = TQKSFileSection::ItemsOf(s.Number);
        ASSERT_NE(items, nullptr);
        EXPECT_EQ(CatalogueStructureSize(s.Number), s.Size);
        EXPECT_EQ(items->Count(), s.Items);
        std::vector<int> owner(static_cast<std::size_t>(s.Size), 0);
        int used = 0, lastId = 0;
        for (int i = 0; i < items->Count(); ++i) {
            const TQKSCfgItem* item = items->Get(i);
            EXPECT_GT(item->Id(), lastId) << item->Name();
            lastId = item->Id();
            ASSERT_LE(item->Offset() + item->Width(), s.Size) << item->Name();
            for (int b = item->Offset(); b < item->Offset() + item->Width(); ++b) {
                EXPECT_EQ(owner[static_cast<std::size_t>(b)], 0) << item->Name() << " overlaps at " << b;
                owner[static_cast<std::size_t>(b)] = item->Id();
                ++used;
            }
        }
        EXPECT_EQ(used, s.UsedBytes);
        EXPECT_EQ(items->Get(0)->Name(), "Size");
        EXPECT_EQ(items->Get(0)->ValueType(), KValueU32);
        EXPECT_EQ(TQKSFileSection::Structures().FindById(s.Number)->Name(), s.Name);
        EXPECT_EQ(lastId, s.Number == 19 ? 15 : s.Items);
    }
}

TEST(Catalogue, QuickShiftHasNoItemSix) {
    EXPECT_EQ(TQKSFileSection::ItemsOf(19)->FindById(6), nullptr);
}

TEST(Catalogue, PointerTablesAndUnknownNumbersHaveNoItems) {
    for (int n : {0, 1, 5, 9, 33, 40, 255})
        EXPECT_EQ(TQKSFileSection::ItemsOf(n), nullptr) << n;
    EXPECT_EQ(CatalogueStructureSize(9), 68);
    EXPECT_EQ(CatalogueStructureSize(1), 20);
}

TEST(Catalogue, ListsInCatalogueOrder) {
    const auto& commands = TQKSFileSection::Commands();
    ASSERT_EQ(commands.Count(), 3);
    EXPECT_EQ(commands.Get(1)->Id(), 3);
    EXPECT_EQ(commands.Get(1)->Name(), "Delete");
    EXPECT_EQ(commands.FindById(2)->Name(), "Modify");
    const auto& ops = TQKSFileSection::Operators();
    ASSERT_EQ(ops.Count(), 7);
    EXPECT_EQ(ops.FindById(1)->Name(), "Equal [=]");
    EXPECT_EQ(ops.FindById(7)->Name(), "AND [&=]");
    const auto& structures = TQKSFileSection::Structures();
    ASSERT_EQ(structures.Count(), 32);
    const int order[] = {1, 2, 3, 4, 5, 8, 6, 7, 9, 10, 11, 12, 15, 14, 13, 16,
                         17, 18, 20, 21, 23, 22, 19, 24, 25, 26, 27, 28, 29, 30, 31, 32};
    for (int i = 0; i < 32; ++i)
        EXPECT_EQ(structures.Get(i)->Id(), order[i]) << i;
}

TEST(FileSection, ReadsTheRecordFields) {
    TQKSFileSection section(testfiles::Section(2, 23, 3, 1, -1234567));
    EXPECT_EQ(section.Command(), 2);
    EXPECT_EQ(section.Structure(), 23);
    EXPECT_EQ(section.ItemId(), 3);
    EXPECT_EQ(section.Operator(), 1);
    EXPECT_EQ(section.Operand(), -1234567);
    EXPECT_EQ(section.StructureName(), "Accel Pump");
    ASSERT_NE(section.Item(), nullptr);
    EXPECT_EQ(section.Item()->Name(), "Trigger ROC");
    section.SetStructure(40);
    EXPECT_EQ(section.StructureName(), "Invalid");
    EXPECT_EQ(section.Item(), nullptr);
    EXPECT_EQ(TQKSFileSection().StructureName(), "Invalid");
}

TEST(FileSection, GroupsOfStructures) {
    const std::pair<int, int> cases[] = {{1, 0}, {2, 1}, {4, 1}, {5, 0}, {6, 2}, {8, 2}, {9, 0}, {10, 3}, {32, 3}, {33, 0}};
    for (auto [structure, group] : cases)
        EXPECT_EQ(TQKSFileSection::GroupOf(structure), group) << structure;
}

}  // namespace
