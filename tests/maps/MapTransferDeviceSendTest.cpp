// Sending a map to the simulated unit through real report bytes.
#include <string>

#include "MapTransferDeviceFixture.h"

using namespace MapTransferTestSupport;

namespace {

constexpr std::uint16_t CmdWriteFram = 0x0004;
constexpr std::uint16_t CmdBeginMapWrite = 0x5002;
constexpr std::uint16_t CmdEndMapWrite = 0x5003;

}  // namespace

TEST_F(MapTransferDeviceTest, SentMapReadsBackIdentical) {
    TQCMap map;
    MapFixtures::BuildKzdMap(*map.KZDMap(), "Sent Position");
    AddFuelTables(*map.KZDMap(), {{8, 9}}, 2);
    map.KZDMap()->FPositions.Find(2)->FName = "Second";
    TQCMapTransferDevice transfer(&map, &UI);
    std::vector<std::vector<int>> progress;
    transfer.OnWriteProgress = [&](int index, int count, int total, int done) {
        progress.push_back({index, count, total, done});
    };
    ASSERT_EQ(transfer.SendMap(Manager.get(), Id()), 0);
    EXPECT_EQ(Unit->RequestCount(CmdBeginMapWrite), 1);
    EXPECT_EQ(Unit->RequestCount(CmdEndMapWrite), 1);
    EXPECT_EQ(Unit->RunInfo().MapWritesOutsideBracket, 0);
    EXPECT_FALSE(Unit->RunInfo().MapWriteOpen);
    const int tables = map.KZDMap()->TableCount();
    ASSERT_EQ(progress.size(), 2u * static_cast<std::size_t>(tables));
    EXPECT_EQ(progress.back(), (std::vector<int>{0, 1, tables, tables}));

    TQCMap back;
    ASSERT_EQ(Read(back), 0);
    EXPECT_EQ(Contents(*back.KZDMap()), Contents(*map.KZDMap()));
    EXPECT_EQ(back.KZDMap()->FPositions.Find(2)->FName, "Second");
    for (const TQCHeader* header : back.KZDMap()->FHeaders.Snapshot())
        EXPECT_EQ(header->FRecord[0] & 0xC0, 0) << "bits 6 and 7 are carried as they were";
}

TEST_F(MapTransferDeviceTest, TableAreaHoldsExactly24576Bytes) {
    TQCMap exact;
    AddFuelTables(*exact.KZDMap(), {{96, 96}, {96, 96}, {96, 64}});
    ASSERT_EQ(exact.KZDMap()->TableBytes(), 24576);
    ASSERT_EQ(Send(exact), 0);
    const TQCTableData* last = exact.KZDMap()->FPositions.Find(1)->FTables.Get(2);
    EXPECT_EQ(last->FAddress, 2 * 9216);
    EXPECT_EQ(Unit->Fram(0x5FFF, 1)[0], last->Data()[last->DataSize() - 1]);

    TQCMap over;
    AddFuelTables(*over.KZDMap(), {{96, 96}, {96, 96}, {96, 64}, {1, 1}});
    ASSERT_EQ(over.KZDMap()->TableBytes(), 24577);
    const auto before = MapArea();
    const auto addresses = Addresses(*over.KZDMap());
    Unit->ResetCounts();
    EXPECT_EQ(Send(over), -1);
    EXPECT_EQ(Unit->RequestTotal(), 0) << "refused before anything is sent";
    EXPECT_EQ(MapArea(), before);
    EXPECT_EQ(Addresses(*over.KZDMap()), addresses);
}

TEST_F(MapTransferDeviceTest, HeaderAndAxisAreaHoldsExactly2040Bytes) {
    // One 1 x 1 table (16 + 6 + 6 bytes) and spare axes of 196 bytes and a last one of rest bytes.
    auto build = [](TQCMap& map, int rest) {
        AddFuelTables(*map.KZDMap(), {{1, 1}});
        MapFixtures::TDeviceMapBuilder axes(*map.KZDMap(), 5000);
        for (int i = 0; i < 10; ++i)
            axes.AddAxis(QC_AXIS_RPM, 96, 0, 10);
        axes.AddAxis(QC_AXIS_RPM, (rest - 4) / 2, 0, 10);
    };
    TQCMap exact;
    build(exact, 2040 - 28 - 1960);
    ASSERT_DOUBLE_EQ(exact.KZDMap()->HeaderMemoryUsage(), 2040 / 2046.0 * 100);
    ASSERT_EQ(Send(exact), 0);
    TQCMap back;
    ASSERT_EQ(Read(back), 0);
    EXPECT_EQ(Contents(*back.KZDMap())[0], Contents(*exact.KZDMap())[0]);

    TQCMap over;
    build(over, 2042 - 28 - 1960);   // axis blocks are even: 2042 is the next size
    const auto before = MapArea();
    Unit->ResetCounts();
    EXPECT_EQ(Send(over), -1);
    EXPECT_EQ(Unit->RequestTotal(), 0);
    EXPECT_EQ(MapArea(), before);
}

TEST_F(MapTransferDeviceTest, UnsoundMapsAreRefusedWithoutTraffic) {
    struct TCase {
        const char* What;
        void (*Spoil)(TQCDeviceMap&);
    };
    const TCase cases[] = {
        {"empty device map", [](TQCDeviceMap& m) { m.Clear(); }},
        {"header without Y axis", [](TQCDeviceMap& m) { m.FHeaders.Get(1)->FYAxis = nullptr; }},
        {"header without X axis", [](TQCDeviceMap& m) { m.FHeaders.Get(0)->FXAxis = nullptr; }},
        {"header without table", [](TQCDeviceMap& m) { m.FHeaders.Get(0)->FTable = nullptr; }},
        {"damaged axis", [](TQCDeviceMap& m) { m.FAxes.Get(0)->FData[0] = 200; }},
        {"axis of another device map", [](TQCDeviceMap& m) {
             static TQCAxis stranger;
             m.FHeaders.Get(0)->FXAxis = &stranger;
         }},
        {"101 headers", [](TQCDeviceMap& m) {
             const TQCHeader* first = m.FHeaders.Get(0);
             while (m.FHeaders.Count() < 101) {
                 auto* copy = new TQCHeader(*first);
                 copy->FXAxis = first->FXAxis;
                 copy->FYAxis = first->FYAxis;
                 copy->FTable = first->FTable;
                 m.FHeaders.Append(copy);
             }
         }},
    };
    const auto before = MapArea();
    for (const TCase& c : cases) {
        TQCMap map;
        AddFuelTables(*map.KZDMap(), {{2, 2}, {3, 3}});
        c.Spoil(*map.KZDMap());
        Unit->ResetCounts();
        EXPECT_EQ(Send(map), -1) << c.What;
        EXPECT_EQ(Unit->RequestTotal(), 0) << c.What;
    }
    EXPECT_EQ(MapArea(), before);
}

TEST_F(MapTransferDeviceTest, Positions0And10ShareOneNameSlotTheLastWrittenWins) {
    TQCMap map;
    AddFuelTables(*map.KZDMap(), {{2, 2}}, 10);
    AddFuelTables(*map.KZDMap(), {{2, 2}}, 0);
    map.KZDMap()->FPositions.Find(0)->FName = "Zero";
    map.KZDMap()->FPositions.Find(10)->FName = "Ten";
    ASSERT_EQ(Send(map), 0);
    const auto slot = Unit->Fram(0x7C80, 4);
    EXPECT_EQ(std::string(slot.begin(), slot.end()), std::string("Ten\0", 4));
    TQCMap back;
    ASSERT_EQ(Read(back), 0);
    EXPECT_EQ(back.KZDMap()->FPositions.Find(0)->FName, "Ten");
    EXPECT_EQ(back.KZDMap()->FPositions.Find(10)->FName, "Ten");
}

TEST_F(MapTransferDeviceTest, LongNamesAreCutTo127Bytes) {
    TQCMap map;
    AddFuelTables(*map.KZDMap(), {{2, 2}}, 3);
    map.KZDMap()->FPositions.Find(3)->FName = MapFixtures::LongName(200, 'a');
    ASSERT_EQ(Send(map), 0);
    TQCMap back;
    ASSERT_EQ(Read(back), 0);
    EXPECT_EQ(back.KZDMap()->FPositions.Find(3)->FName, MapFixtures::LongName(127, 'a'));
}

TEST_F(MapTransferDeviceTest, FailedWriteStillClosesTheBracketAndKeepsTheMap) {
    TQCMap map;
    MapFixtures::BuildKzdMap(*map.KZDMap(), "Kept");
    const auto addresses = Addresses(*map.KZDMap());
    const auto contents = Contents(*map.KZDMap());
    TSimFault fault;
    fault.Kind = TSimFault::TKind::DropReply;
    fault.Command = CmdWriteFram;
    fault.Nth = 2;
    Unit->AddFault(fault);
    EXPECT_EQ(Send(map), -1);
    EXPECT_EQ(Unit->RequestCount(CmdWriteFram), 2) << "the send stops at the failed write";
    EXPECT_EQ(Unit->RequestCount(CmdEndMapWrite), 1);
    EXPECT_FALSE(Unit->RunInfo().MapWriteOpen);
    EXPECT_EQ(Addresses(*map.KZDMap()), addresses);
    EXPECT_EQ(Contents(*map.KZDMap()), contents);
}

TEST_F(MapTransferDeviceTest, UnplugDuringASendFailsAndKeepsTheMap) {
    TQCMap map;
    MapFixtures::BuildKzdMap(*map.KZDMap(), "Kept");
    const auto addresses = Addresses(*map.KZDMap());
    const auto contents = Contents(*map.KZDMap());
    TSimFault fault;
    fault.Kind = TSimFault::TKind::DetachAfter;
    fault.Command = CmdWriteFram;
    fault.Nth = 3;
    Unit->AddFault(fault);
    EXPECT_NE(Send(map), 0);
    EXPECT_EQ(Addresses(*map.KZDMap()), addresses);
    EXPECT_EQ(Contents(*map.KZDMap()), contents);
}

TEST_F(MapTransferDeviceTest, SilentUnitGetsNoWritesButTheClosingEnd) {
    Unit->SetSilent(true);
    TQCMap map;
    AddFuelTables(*map.KZDMap(), {{2, 2}});
    EXPECT_EQ(Send(map), -1);
    Unit->SetSilent(false);
    EXPECT_EQ(Unit->RequestCount(CmdBeginMapWrite), 1);
    EXPECT_EQ(Unit->RequestCount(CmdWriteFram), 0);
    EXPECT_EQ(Unit->RequestCount(CmdEndMapWrite), 1);
}
