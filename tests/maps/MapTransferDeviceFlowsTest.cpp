// The window-free map flows: the save cut, the checked send and the send
// into a target position, against the simulated unit.
#include <string>

#include "MapTransferDeviceFixture.h"
#include "Mapflows.h"
#include "Qcmaptransferfile.h"

using namespace MapTransferTestSupport;

namespace {

constexpr std::uint16_t CmdReadFram = 0x0003;
constexpr std::uint16_t CmdBeginMapWrite = 0x5002;

// Positions 1..3, each one fuel table of its own shape and a name.
void BuildThreePositions(TQCMap& map) {
    for (int p = 1; p <= 3; ++p) {
        AddFuelTables(*map.KZDMap(), {{2 + p, 3 + p}}, p);
        map.KZDMap()->FPositions.Find(p)->FName = "Position " + std::to_string(p);
    }
}

// The tables' bytes of one position, in order.
std::vector<std::vector<std::uint8_t>> TablesOf(const TQCMap& map, int position) {
    std::vector<std::vector<std::uint8_t>> tables;
    if (const TQCPosition* p = map.KZDMap()->FPositions.Find(position))
        for (const TQCTableData* t : p->FTables.Snapshot())
            tables.emplace_back(t->Data(), t->Data() + t->DataSize());
    return tables;
}

// A one-position map as a map file holds it.
std::unique_ptr<TQCMap> FileMap(int cols, int rows, const std::string& name) {
    auto map = std::make_unique<TQCMap>();
    AddFuelTables(*map->KZDMap(), {{cols, rows}, {cols, rows}});
    map->KZDMap()->FPositions.Find(1)->FName = name;
    map->FSource = 1;
    return map;
}

}  // namespace

TEST(MapFlowsModel, CutKeepsOnePositionRenumbered1AndLeavesTheSourceAlone) {
    TQCMap map;
    BuildThreePositions(map);
    const auto before = Contents(*map.KZDMap());
    const auto cut = TMapFlows::CutPosition(map, 2);
    ASSERT_EQ(cut->KZDMap()->FPositions.Count(), 1);
    const TQCPosition* only = cut->KZDMap()->FPositions.Get(0);
    EXPECT_EQ(only->FNumber, 1);
    EXPECT_EQ(only->FName, "Position 2");
    EXPECT_EQ(TablesOf(*cut, 1), TablesOf(map, 2));
    for (const TQCHeader* header : cut->KZDMap()->FHeaders.Snapshot())
        EXPECT_EQ(header->FRecord[0] & 0x3F, 1);
    EXPECT_EQ(TQCMapTransferFile::SaveRefusal(*cut), "");
    EXPECT_EQ(Contents(*map.KZDMap()), before);
    EXPECT_EQ(TablesOf(*TMapFlows::CutPosition(map, 1), 1), TablesOf(map, 1));
}

TEST(MapFlowsModel, CopyingAPositionOntoItselfChangesNothing) {
    TQCMap map;
    BuildThreePositions(map);
    const auto before = Contents(*map.KZDMap());
    TMapFlows::CopyPositionAll(map, map, 2, 2);
    EXPECT_EQ(Contents(*map.KZDMap()), before);
    TMapFlows::CopyPositionAll(map, map, 2, 5);
    EXPECT_EQ(TablesOf(map, 5), TablesOf(map, 2));
    EXPECT_EQ(map.KZDMap()->FPositions.Find(5)->FName, "Position 2");
}

TEST(MapFlowsModel, ProgressFormula) {
    EXPECT_DOUBLE_EQ(TMapFlows::ProgressPercent(0, 1, 6, 3), 50);
    EXPECT_DOUBLE_EQ(TMapFlows::ProgressPercent(1, 2, 4, 1), 62.5);
    EXPECT_DOUBLE_EQ(TMapFlows::ProgressPercent(0, 1, 0, 0), 0);
    EXPECT_DOUBLE_EQ(TMapFlows::ProgressPercent(0, 0, 5, 5), 0);
}

class MapFlowsTest : public MapTransferDeviceTest {
protected:
    void SetUp() override {
        MapTransferDeviceTest::SetUp();
        TQCMap device;
        BuildThreePositions(device);
        ASSERT_EQ(Send(device), 0);
        Unit->ResetCounts();
    }
};

TEST_F(MapFlowsTest, SendIntoAFreePositionKeepsTheOthers) {
    TQCMap before;
    ASSERT_EQ(Read(before), 0);
    TMapFlows flows(Manager.get(), &UI);
    std::vector<double> percents;
    flows.OnSendProgress = [&](double percent) { percents.push_back(percent); };
    const auto file = FileMap(4, 4, "From File");
    std::unique_ptr<TQCMap> sent;
    ASSERT_EQ(flows.SendToPosition(*file, Id(), 7, &sent), 0);
    EXPECT_TRUE(UI.Questions().empty());
    ASSERT_FALSE(percents.empty());
    EXPECT_DOUBLE_EQ(percents.back(), 100);
    ASSERT_NE(sent, nullptr);
    TQCMap back;
    ASSERT_EQ(Read(back), 0);
    for (int p = 1; p <= 3; ++p)
        EXPECT_EQ(TablesOf(back, p), TablesOf(before, p)) << p;
    EXPECT_EQ(TablesOf(back, 7), TablesOf(*file, 1));
    EXPECT_EQ(back.KZDMap()->FPositions.Find(7)->FName, "From File");
    EXPECT_EQ(Contents(*flows.DeviceCopy()->KZDMap()), Contents(*back.KZDMap()));
    EXPECT_EQ(file->KZDMap()->FPositions.Get(0)->FNumber, 1) << "the caller's map is not changed";
}

TEST_F(MapFlowsTest, OccupiedTargetIsOverwrittenOnlyAfterYes) {
    const auto framBefore = MapArea();
    TMapFlows flows(Manager.get(), &UI);
    const auto file = FileMap(5, 6, "Replacement");
    UI.SetYesAnswer(false);
    EXPECT_EQ(flows.SendToPosition(*file, Id(), 2), TMapFlows::StatusDeclined);
    ASSERT_EQ(UI.Questions().size(), 1u);
    EXPECT_EQ(UI.Questions()[0],
              "The map currently contains tables in position 2.\r\nDo you wish to continue and overwrite it?");
    EXPECT_EQ(Unit->RequestCount(CmdBeginMapWrite), 0);
    EXPECT_EQ(MapArea(), framBefore);

    UI.SetYesAnswer(true);
    ASSERT_EQ(flows.SendToPosition(*file, Id(), 2), 0);
    TQCMap back;
    ASSERT_EQ(Read(back), 0);
    EXPECT_EQ(TablesOf(back, 2), TablesOf(*file, 1));
    EXPECT_EQ(back.KZDMap()->FPositions.Find(2)->FName, "Replacement");
    EXPECT_EQ(back.KZDMap()->FPositions.Count(), 3);
}

TEST_F(MapFlowsTest, FailedGetDropsTheDeviceCopySoTheNextSendReadsAgain) {
    TMapFlows flows(Manager.get(), &UI);
    TQCMap map;
    ASSERT_EQ(flows.GetMap(Id(), map), 0);
    ASSERT_NE(flows.DeviceCopy(), nullptr);
    TSimFault fault;
    fault.Kind = TSimFault::TKind::DropReply;
    fault.Command = CmdReadFram;
    fault.Nth = 4;
    Unit->AddFault(fault);
    TQCMap partial;
    EXPECT_NE(flows.GetMap(Id(), partial), 0);
    EXPECT_EQ(flows.DeviceCopy(), nullptr);

    Unit->ResetCounts();
    const auto file = FileMap(3, 3, "Late");
    ASSERT_EQ(flows.SendToPosition(*file, Id(), 9), 0);
    EXPECT_GT(Unit->RequestCount(CmdReadFram), 3) << "the device map was read again first";
    TQCMap back;
    ASSERT_EQ(Read(back), 0);
    EXPECT_EQ(back.KZDMap()->FPositions.Count(), 4);
    EXPECT_EQ(TablesOf(back, 9), TablesOf(*file, 1));
}

TEST_F(MapFlowsTest, TooLargeMapIsRefusedWithTheMessageAndNoTraffic) {
    std::vector<std::string> shown;
    TPlainUIBridge ui(true, [&](const std::string& text, const std::string&, TUIBridge::TMessageKind) {
        shown.push_back(text);
    });
    TMapFlows flows(Manager.get(), &ui);
    TQCMap map;
    AddFuelTables(*map.KZDMap(), {{96, 96}, {96, 96}, {96, 64}});   // 24576 bytes: over the 24574 the usage counts
    EXPECT_EQ(flows.SendChecked(map, Id()), TMapFlows::StatusTooLarge);
    EXPECT_EQ(shown, std::vector<std::string>{"The map is too large for the device memory."});
    EXPECT_EQ(Unit->RequestTotal(), 0);
    EXPECT_EQ(flows.DeviceCopy(), nullptr);
}

TEST_F(MapFlowsTest, FailedSendKeepsTheOldDeviceCopy) {
    TMapFlows flows(Manager.get(), &UI);
    TQCMap map;
    ASSERT_EQ(flows.GetMap(Id(), map), 0);
    const auto copy = Contents(*flows.DeviceCopy()->KZDMap());
    TSimFault fault;
    fault.Kind = TSimFault::TKind::DropReply;
    fault.Command = 0x0004;
    fault.Nth = 1;
    Unit->AddFault(fault);
    EXPECT_NE(flows.SendToPosition(*FileMap(3, 3, "Lost"), Id(), 8), 0);
    ASSERT_NE(flows.DeviceCopy(), nullptr);
    EXPECT_EQ(Contents(*flows.DeviceCopy()->KZDMap()), copy);
}
