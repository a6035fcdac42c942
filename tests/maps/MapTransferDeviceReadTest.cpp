// Reading a map from the simulated unit through real report bytes.
#include <cstring>
#include <string>

#include "MapTransferDeviceFixture.h"
#include "Qc7.h"

using namespace MapTransferTestSupport;

namespace {

constexpr std::uint16_t CmdReadFram = 0x0003;

void Put32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace

TEST_F(MapTransferDeviceTest, ReadGivesTheFactoryMapWithProgressPerHeader) {
    TQCMap map;
    TQCMapTransferDevice transfer(&map, &UI);
    std::vector<std::vector<int>> progress;
    transfer.OnReadProgress = [&](int index, int count, int total, int done) {
        progress.push_back({index, count, total, done});
    };
    ASSERT_EQ(transfer.ReadMap(Manager.get(), Id()), 0);
    EXPECT_EQ(map.FSource, 2);
    const TQCDeviceMap& kzd = *map.KZDMap();
    ASSERT_EQ(kzd.FHeaders.Count(), 6);
    EXPECT_EQ(kzd.FAxes.Count(), 6);
    ASSERT_EQ(kzd.FPositions.Count(), 3);
    EXPECT_EQ(kzd.FPositions.Find(1)->FName, "Stock Exhaust");
    EXPECT_EQ(kzd.FPositions.Find(3)->FName, "Full System Race");
    const auto model = Unit->Flash(0x20000, 22);
    EXPECT_EQ(kzd.FMapType, std::uint32_t(model[20]) | std::uint32_t(model[21]) << 8);
    for (const TQCPosition* position : kzd.FPositions.Snapshot())
        for (const TQCTableData* table : position->FTables.Snapshot()) {
            ASSERT_EQ(table->DataSize(), 11 * 13);
            EXPECT_EQ(std::vector<std::uint8_t>(table->Data(), table->Data() + table->DataSize()),
                      Unit->Fram(static_cast<std::uint32_t>(table->FAddress), 143));
        }
    // Axis blocks are compact on the device: nothing of the next block stays in one.
    const TQCAxis* tps = kzd.FAxes.Get(0);
    EXPECT_EQ(tps->Count(), 11);
    for (std::size_t i = 4 + 22; i < tps->FData.size(); ++i)
        ASSERT_EQ(tps->FData[i], 0) << i;
    ASSERT_EQ(progress.size(), 12u);
    EXPECT_EQ(progress.front(), (std::vector<int>{0, 1, 6, 0}));
    EXPECT_EQ(progress.back(), (std::vector<int>{0, 1, 6, 6}));
    EXPECT_EQ(map.PrimaryMap()->FPositions.Count(), 0);
}

TEST_F(MapTransferDeviceTest, DirectoryAddressesAreChecked) {
    struct TCase {
        const char* What;
        std::uint32_t RootWord1, Count, HeaderTable;
        int Expected;
    };
    const TCase cases[] = {
        {"bit 31 masked", 0x80006000u, 6, 0x80006008u, 0},
        {"without bit 31", 0x00006000u, 6, 0x00006008u, 0},
        {"directory at 0x6800", 0x80006800u, 6, 0x80006008u, -1},
        {"directory below the area", 0x80005FFCu, 6, 0x80006008u, -1},
        {"no headers", 0x80006000u, 0, 0x80006008u, -1},
        {"101 headers", 0x80006000u, 101, 0x80006008u, -1},
        {"header table at 0x6800", 0x80006000u, 6, 0x80006800u, -1},
    };
    const auto root = Unit->Flash(0x5000, 24);
    const auto directory = Unit->Fram(0x6000, 8);
    for (const TCase& c : cases) {
        auto newRoot = root;
        Put32(newRoot, 4, c.RootWord1);
        Unit->SetFlash(0x5000, newRoot);
        std::vector<std::uint8_t> dir(8);
        Put32(dir, 0, c.Count);
        Put32(dir, 4, c.HeaderTable);
        Unit->SetFram(0x6000, dir);
        TQCMap map;
        EXPECT_EQ(Read(map), c.Expected) << c.What;
        EXPECT_EQ(map.KZDMap()->FHeaders.Count(), c.Expected == 0 ? 6 : 0) << c.What;
    }
    Unit->SetFlash(0x5000, root);
    Unit->SetFram(0x6000, directory);
}

TEST_F(MapTransferDeviceTest, DamagedAxisCountEndsTheRead) {
    Unit->SetFram(0x6008 + 16 * 6, {200});   // the first axis block claims 200 breakpoints
    TQCMap map;
    EXPECT_EQ(Read(map), -1);
    EXPECT_EQ(map.KZDMap()->FHeaders.Count(), 0);
}

TEST_F(MapTransferDeviceTest, ADroppedTableReplyEndsTheReadWithNothingAfterIt) {
    TQCMap reference;
    ASSERT_EQ(Read(reference), 0);
    Unit->ResetCounts();
    ASSERT_EQ(Read(reference), 0);
    const int reads = Unit->RequestCount(CmdReadFram);
    // The last three FRAM reads are the names of positions 1..3; before them
    // comes the last table.
    const int lastTable = reads - 3;
    TSimFault fault;
    fault.Kind = TSimFault::TKind::DropReply;
    fault.Command = CmdReadFram;
    fault.Nth = lastTable;
    Unit->ResetCounts();
    Unit->AddFault(fault);
    TQCMap map;
    EXPECT_NE(Read(map), 0);
    EXPECT_EQ(Unit->RequestCount(CmdReadFram), lastTable) << "nothing is read after the failed table";
    EXPECT_EQ(map.KZDMap()->FHeaders.Count(), 5);
}

TEST_F(MapTransferDeviceTest, UnplugDuringAReadEndsIt) {
    TSimFault fault;
    fault.Kind = TSimFault::TKind::DetachAfter;
    fault.Command = CmdReadFram;
    fault.Nth = 4;
    Unit->AddFault(fault);
    TQCMap map;
    EXPECT_NE(Read(map), 0);
    EXPECT_LT(map.KZDMap()->FHeaders.Count(), 6);
}

TEST_F(MapTransferDeviceTest, SilentUnitFailsTheReadWithoutAMessage) {
    Unit->SetSilent(true);
    TQCMap map;
    EXPECT_EQ(Read(map), -1);
    EXPECT_TRUE(map.KZDMap()->IsEmpty());
    Unit->SetSilent(false);
}

TEST_F(MapTransferDeviceTest, ReadDeviceMapWithoutDriverOrDeviceMapShowsTheNotices) {
    std::vector<std::string> shown;
    TPlainUIBridge ui(false, [&](const std::string& text, const std::string& caption, TUIBridge::TMessageKind) {
        shown.push_back(caption + ": " + text);
    });
    TQCMap map;
    TQCMapTransferDevice transfer(&map, &ui);
    EXPECT_EQ(transfer.ReadDeviceMap(), -1);
    EXPECT_EQ(shown, (std::vector<std::string>{"Notice: Driver Error", "Notice: Device Map Error"}));
    EXPECT_EQ(Unit->RequestTotal(), 0);
    const TDeviceID unknownKind(nullptr, 0x0506, KConnUSB, 9);
    EXPECT_EQ(transfer.ReadMap(Manager.get(), unknownKind), -1);
}

// A unit presenting itself as the primary controller: its device map is the
// primary one, and the SFM mode mask comes from the Network structure.
class MapTransferPrimaryTest : public MapTransferDeviceTest {
protected:
    MapTransferPrimaryTest() : MapTransferDeviceTest(0x0502) {}

    void SetMask(std::uint64_t mask) {
        auto* driver = dynamic_cast<TQC7*>(Manager->DriverOfIdentical(Id()));
        ASSERT_NE(driver, nullptr);
        std::vector<std::uint8_t> network(static_cast<std::size_t>(QC7StructSize(TQC7Struct::Network)));
        ASSERT_EQ(driver->ReadNetwork(network.data()), 0);
        Put32(network, 4, static_cast<std::uint32_t>(mask));
        Put32(network, 8, static_cast<std::uint32_t>(mask >> 32));
        ASSERT_EQ(driver->WriteNetwork(network.data()), 0);
    }
};

TEST_F(MapTransferPrimaryTest, SfmMaskIsReadEvenWhenTheHeadersFailed) {
    SetMask(0x4);   // position 2 uses the secondary fuel module
    TQCMap map;
    ASSERT_EQ(Read(map), 0);
    const TQCDeviceMap& primary = *map.PrimaryMap();
    ASSERT_EQ(primary.FPositions.Count(), 3);
    EXPECT_EQ(primary.FPositions.Find(1)->FSfmMode, 1);
    EXPECT_EQ(primary.FPositions.Find(2)->FSfmMode, 2);
    EXPECT_EQ(primary.FPositions.Find(3)->FSfmMode, 1);
    EXPECT_TRUE(map.KZDMap()->IsEmpty());

    Unit->SetFram(0x6008 + 16 * 5, std::vector<std::uint8_t>(16, 0));   // the last header points at nothing sound
    Unit->SetFram(0x6008 + 16 * 5 + 4, {0x00, 0x70, 0x00, 0x80});       // X axis in the error log area
    Unit->SetFram(0x7000, {250, 28});                                     // a damaged RPM axis there
    TQCMap failed;
    EXPECT_EQ(Read(failed), -1);
    ASSERT_EQ(failed.PrimaryMap()->FPositions.Count(), 3);
    EXPECT_EQ(failed.PrimaryMap()->FPositions.Find(2)->FSfmMode, 2);
}
