#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "MapFixtures.h"
#include "Qcmaptransferfile.h"

namespace fs = std::filesystem;

namespace {

std::uint32_t WordAt(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

void PutWordAt(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::vector<std::uint8_t> Saved(TQCMap& map) {
    std::vector<std::uint8_t> bytes;
    TQCMapTransferFile transfer(&map);
    EXPECT_EQ(transfer.SaveToMemory(bytes), 0);
    return bytes;
}

int Load(TQCMap& map, const std::vector<std::uint8_t>& bytes) {
    TQCMapTransferFile transfer(&map);
    return transfer.LoadFromMemory(bytes.data(), bytes.size(), "memory.kzm");
}

std::vector<std::uint8_t> PrimaryOnlyFile() {
    TQCMap map;
    MapFixtures::BuildSmallMap(*map.PrimaryMap(), 100, "Primary");
    return Saved(map);
}

std::vector<std::uint8_t> FullFile() {
    TQCMap map;
    MapFixtures::BuildFullMap(map);
    return Saved(map);
}

std::vector<std::uint8_t> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class TempDir : public ::testing::Test {
protected:
    void SetUp() override {
        FDir = fs::temp_directory_path() /
               ("kzd_maps_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(FDir);
        fs::create_directories(FDir);
    }
    void TearDown() override { fs::remove_all(FDir); }
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(FDir))
            names.push_back(entry.path().filename().string());
        return names;
    }
    fs::path FDir;
};

TEST(MapFileFormat, PrimaryOnlyIsFormat2AndOtherwiseFormat3) {
    const std::vector<std::uint8_t> primary = PrimaryOnlyFile();
    EXPECT_EQ(WordAt(primary, 0), 2u);
    EXPECT_EQ(WordAt(primary, 8), 48u);
    EXPECT_EQ(WordAt(primary, 48), 2u) << "two headers";
    EXPECT_EQ(WordAt(primary, 52), 56u);
    TQCMap kzd;
    MapFixtures::BuildKzdMap(*kzd.KZDMap(), "K");
    const std::vector<std::uint8_t> bytes = Saved(kzd);
    EXPECT_EQ(WordAt(bytes, 0), 3u);
    EXPECT_EQ(WordAt(bytes, 12), 1u) << "one entry";
    EXPECT_EQ(WordAt(bytes, 24), 6u) << "module type";
    EXPECT_EQ(WordAt(bytes, 28), 0x1234u);
    EXPECT_EQ(WordAt(bytes, 32), 60u);
    EXPECT_EQ(WordAt(bytes, 36), 2u);
    EXPECT_EQ(WordAt(bytes, 40), 8u) << "eight headers";
    EXPECT_EQ(WordAt(bytes, 56), 64u) << "output configuration right after the entry";
    // Data: 11 + 15 + 16 x 8 headers + 196 x 3 axes + tables + 256 name.
    EXPECT_EQ(bytes.size(), 64 + 26 + 128 + 588 + kzd.KZDMap()->TableBytes() + 256u);
}

TEST(MapFileFormat, SharedTableIsStoredOnceAndLoadsWithBothSelectors) {
    TQCMap map;
    MapFixtures::BuildKzdMap(*map.KZDMap(), "Shared");
    const std::vector<std::uint8_t> bytes = Saved(map);
    const std::size_t headers = WordAt(bytes, 20 + 24);
    EXPECT_EQ(WordAt(bytes, headers + 12), WordAt(bytes, headers + 16 + 12));
    EXPECT_NE(WordAt(bytes, headers + 12), WordAt(bytes, headers + 32 + 12));
    EXPECT_EQ(WordAt(bytes, headers + 12) & 0x80000000u, 0x80000000u);
    TQCMap loaded;
    ASSERT_EQ(Load(loaded, bytes), 0);
    const TQCDeviceMap* kzd = loaded.KZDMap();
    EXPECT_EQ(kzd->TableCount(), 7);
    EXPECT_EQ(kzd->FAxes.Count(), 3);
    ASSERT_EQ(kzd->FHeaders.Count(), 8);
    EXPECT_EQ(kzd->FHeaders.Get(0)->FTable, kzd->FHeaders.Get(1)->FTable);
    EXPECT_EQ(kzd->FHeaders.Get(0)->FTable->FCylinders, (std::array<std::uint8_t, 4>{1, 1, 0, 0}));
    EXPECT_EQ(loaded.FSource, 1);
    EXPECT_EQ(loaded.FFileName, "memory.kzm");
}

TEST(MapFileFormat, SavingGivesAxesAndTablesTheirFileOffsets) {
    TQCMap map;
    MapFixtures::BuildSmallMap(*map.PrimaryMap(), 100, "");
    Saved(map);
    const TQCDeviceMap* primary = map.PrimaryMap();
    EXPECT_EQ(primary->FAxes.Get(0)->FAddress, 56 + 32);
    EXPECT_EQ(primary->FAxes.Get(1)->FAddress, 56 + 32 + 196);
    EXPECT_EQ(primary->FPositions.Get(0)->FTables.Get(1)->FAddress, 56 + 32 + 392 + 20);
    EXPECT_EQ(primary->FHeaders.Get(1)->AddressOf(TQCHeader::TableWord), 56 + 32 + 392 + 20);
}

TEST(MapFileFormat, NamesKeep255Bytes) {
    TQCMap map;
    MapFixtures::BuildSmallMap(*map.PrimaryMap(), 100, MapFixtures::LongName(300, 'a'));
    TQCMap loaded;
    ASSERT_EQ(Load(loaded, Saved(map)), 0);
    EXPECT_EQ(loaded.PrimaryMap()->FPositions.Find(1)->FName, MapFixtures::LongName(255, 'a'));
}

TEST(MapFileFormat, SfmMaskAndSecondaryBankConfiguration) {
    TQCMap map;
    MapFixtures::BuildFullMap(map);
    map.PrimaryMap()->FBankConfig[3] = 77;
    map.SecondaryMap()->FBankConfig[3] = 5;
    std::vector<std::uint8_t> bytes = Saved(map);
    EXPECT_EQ(WordAt(bytes, 4), 0x2u) << "bit 1: position 1 has the secondary module on";
    TQCMap loaded;
    ASSERT_EQ(Load(loaded, bytes), 0);
    EXPECT_EQ(loaded.PrimaryMap()->FPositions.Find(1)->FSfmMode, 2);
    EXPECT_EQ(loaded.SecondaryMap()->FBankConfig[3], 77) << "the secondary takes the primary's bank configuration";
    map.PrimaryMap()->FPositions.Find(1)->FSfmMode = 1;
    ASSERT_EQ(Load(loaded, Saved(map)), 0);
    EXPECT_EQ(loaded.PrimaryMap()->FPositions.Find(1)->FSfmMode, 1);
}

TEST(MapMask, StatesAndBounds) {
    std::uint64_t mask = 0;
    TQCMapTransfer::SetMaskState(mask, 63, 2);
    TQCMapTransfer::SetMaskState(mask, 0, 2);
    TQCMapTransfer::SetMaskState(mask, 64, 2);
    TQCMapTransfer::SetMaskState(mask, -1, 2);
    EXPECT_EQ(mask, 0x8000000000000001ULL);
    TQCMapTransfer::SetMaskState(mask, 0, 1);
    EXPECT_EQ(TQCMapTransfer::MaskState(mask, 0), 1);
    EXPECT_EQ(TQCMapTransfer::MaskState(mask, 63), 2);
    EXPECT_EQ(TQCMapTransfer::MaskState(mask, 64), 0);
}

// One damaged file: the patch applied to a valid file and the status the load must give.
struct TDamageCase {
    const char* Name;
    bool Full;  // patch the four-device file (format 3), else the primary-only file
    std::size_t At;
    std::uint32_t Word;
    int Status;
};

class DamagedFile : public ::testing::TestWithParam<TDamageCase> {};

TEST_P(DamagedFile, GivesItsStatus) {
    const TDamageCase c = GetParam();
    std::vector<std::uint8_t> bytes = c.Full ? FullFile() : PrimaryOnlyFile();
    PutWordAt(bytes, c.At, c.Word);
    TQCMap map;
    EXPECT_EQ(Load(map, bytes), c.Status) << c.Name;
    EXPECT_EQ(map.FSource, 1);
}

// Format 2 offsets: directory 48, headers 56, first axis at 88 (Count byte).
// Format 3: entry count 12, first entry at 20 (module 24, N 40, header table 44,
// name 48, output configuration 56, bank configuration 60).
INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedFile,
    ::testing::Values(TDamageCase{"format word", false, 0, 4, -3}, TDamageCase{"format word 0", true, 0, 0, -3},
                      TDamageCase{"format 2, no headers", false, 48, 0, -2},
                      TDamageCase{"format 2, 101 headers", false, 48, 101, -2},
                      TDamageCase{"format 2, huge header count", false, 48, 0xFFFFFFFFu, -2},
                      TDamageCase{"format 2, directory outside", false, 8, 0x7FFFFFF0u, -1},
                      TDamageCase{"format 2, directory beyond 31 bits", false, 8, 0xFFFFFFF0u, -1},
                      TDamageCase{"format 2, header table outside", false, 52, 0x10000000u, -1},
                      TDamageCase{"format 2, header table at the end of 31 bits", false, 52, 0x7FFFFFF8u, -1},
                      TDamageCase{"format 2, name outside", false, 16, 0x10000u, -1},
                      TDamageCase{"axis address outside", false, 56 + 4, 0x8FFFFFFFu, -1},
                      TDamageCase{"table address outside", false, 56 + 12, 0x80100000u, -1},
                      TDamageCase{"format 3, no entries", true, 12, 0, -1},
                      TDamageCase{"format 3, ten entries", true, 12, 10, -1},
                      TDamageCase{"format 3, huge entry count", true, 12, 0x7FFFFFFFu, -1},
                      TDamageCase{"format 3, entry table outside", true, 16, 0x40000000u, -1},
                      TDamageCase{"format 3, module type 7", true, 24, 7, -2},
                      TDamageCase{"format 3, no headers", true, 40, 0, -1},
                      TDamageCase{"format 3, 101 headers", true, 40, 101, -1},
                      TDamageCase{"format 3, header table outside", true, 44, 0xFFFFFF00u, -1},
                      TDamageCase{"format 3, output configuration outside", true, 56, 0x00FFFFFFu, -1},
                      TDamageCase{"format 3, bank configuration outside", true, 60, 0xFFFFFFFFu, -1}));

TEST(DamagedFile, AxisCount200IsRejected) {
    std::vector<std::uint8_t> bytes = PrimaryOnlyFile();
    const std::size_t axis = 56 + 16 * WordAt(bytes, 48);
    ASSERT_EQ(bytes[axis + 1], QC_AXIS_TPS);
    bytes[axis] = 200;
    TQCMap map;
    EXPECT_EQ(Load(map, bytes), -1);
}

TEST(DamagedFile, EveryTruncationIsRejected) {
    for (const std::vector<std::uint8_t>& whole : {PrimaryOnlyFile(), FullFile()}) {
        TQCMap map;
        ASSERT_EQ(Load(map, whole), 0);
        for (std::size_t size = 0; size < whole.size(); ++size) {
            const std::vector<std::uint8_t> part(whole.begin(), whole.begin() + static_cast<long>(size));
            ASSERT_EQ(Load(map, part), -1) << "truncated to " << size << " of " << whole.size();
        }
    }
}

TEST_F(TempDir, LoadFromFileSetsSourceAndBareName) {
    const fs::path path = FDir / "Some Map.kzm";
    WriteFile(path, FullFile());
    TQCMap map;
    TQCMapTransferFile transfer(&map);
    EXPECT_EQ(transfer.LoadFromFile(path.string()), 0);
    EXPECT_EQ(map.FSource, 1);
    EXPECT_EQ(map.FFileName, "Some Map.kzm");
    EXPECT_EQ(map.UsedDeviceMaps(), 4);
    EXPECT_EQ(transfer.LoadFromFile((FDir / "missing.kzm").string()), -1);
    EXPECT_TRUE(map.IsEmpty()) << "the map is cleared first";
    EXPECT_EQ(transfer.LoadFromFile(FDir.string()), -1) << "a folder is no map file";
}

TEST_F(TempDir, SaveToFileReplacesTheTargetAndLeavesNoTemporary) {
    const fs::path path = FDir / "out.kzm";
    WriteFile(path, {1, 2, 3});
    TQCMap map;
    MapFixtures::BuildFullMap(map);
    TQCMapTransferFile transfer(&map);
    ASSERT_EQ(transfer.SaveToFile(path.string()), 0);
    EXPECT_EQ(ReadFile(path), FullFile());
    EXPECT_EQ(Entries(), std::vector<std::string>{"out.kzm"});
    EXPECT_EQ(transfer.SaveToFile((FDir / "no such folder" / "x.kzm").string()), -1);
}

// Writes through a file stream and fails every write once FLimit bytes were written.
class TFailingStream : public TQCMapStream {
public:
    TFailingStream(std::unique_ptr<TQCMapStream> inner, std::size_t limit) : FInner(std::move(inner)), FLimit(limit) {}
    std::int64_t Size() const override { return FInner->Size(); }
    bool ReadAt(std::int64_t o, std::uint8_t* b, std::size_t n) override { return FInner->ReadAt(o, b, n); }
    bool WriteAt(std::int64_t o, const std::uint8_t* b, std::size_t n) override {
        if (FWritten + n > FLimit)
            return false;
        FWritten += n;
        return FInner->WriteAt(o, b, n);
    }
    bool Finish() override { return FInner->Finish(); }

private:
    std::unique_ptr<TQCMapStream> FInner;
    std::size_t FLimit, FWritten = 0;
};

class TFailingTransfer : public TQCMapTransferFile {
public:
    TFailingTransfer(TQCMap* map, std::size_t limit) : TQCMapTransferFile(map), FLimit(limit) {}

protected:
    std::unique_ptr<TQCMapStream> CreateStream(const std::string& path) override {
        return std::make_unique<TFailingStream>(TQCMapTransferFile::CreateStream(path), FLimit);
    }

private:
    std::size_t FLimit;
};

TEST_F(TempDir, FailedSaveKeepsTheOriginalByteForByte) {
    const fs::path path = FDir / "good.kzm";
    const std::vector<std::uint8_t> original = PrimaryOnlyFile();
    WriteFile(path, original);
    TQCMap map;
    MapFixtures::BuildFullMap(map);
    const std::size_t whole = FullFile().size();
    for (std::size_t limit : {std::size_t{0}, std::size_t{10}, std::size_t{30}, std::size_t{500}, whole / 2, whole - 21}) {
        TFailingTransfer transfer(&map, limit);
        EXPECT_EQ(transfer.SaveToFile(path.string()), -1) << "failing after " << limit << " bytes";
        EXPECT_EQ(ReadFile(path), original);
        EXPECT_EQ(Entries(), std::vector<std::string>{"good.kzm"});
    }
    TFailingTransfer enough(&map, whole);
    EXPECT_EQ(enough.SaveToFile(path.string()), 0);
    EXPECT_EQ(ReadFile(path), FullFile());
}

// A map that the format cannot hold, made from a valid one by one change.
struct TRefusalCase {
    const char* Name;
    void (*Spoil)(TQCMap&);
};

class RefusedSave : public TempDir, public ::testing::WithParamInterface<TRefusalCase> {};

TEST_P(RefusedSave, ReturnsMinusOneWithoutTouchingTheTarget) {
    const TRefusalCase c = GetParam();
    TQCMap map;
    MapFixtures::BuildFullMap(map);
    c.Spoil(map);
    EXPECT_FALSE(TQCMapTransferFile::SaveRefusal(map).empty()) << c.Name;
    TQCMapTransferFile transfer(&map);
    const fs::path fresh = FDir / "fresh.kzm", existing = FDir / "existing.kzm";
    WriteFile(existing, {9, 9, 9});
    EXPECT_EQ(transfer.SaveToFile(fresh.string()), -1) << c.Name;
    EXPECT_EQ(transfer.SaveToFile(existing.string()), -1) << c.Name;
    EXPECT_FALSE(fs::exists(fresh));
    EXPECT_EQ(ReadFile(existing), (std::vector<std::uint8_t>{9, 9, 9}));
    EXPECT_EQ(Entries(), std::vector<std::string>{"existing.kzm"});
    std::vector<std::uint8_t> bytes;
    EXPECT_EQ(transfer.SaveToMemory(bytes), -1);
}

void AddHeaders(TQCDeviceMap& map, int count) {
    TQCHeader* first = map.FHeaders.Get(0);
    for (int i = 0; i < count; ++i) {
        auto* header = new TQCHeader(*first);
        header->FXAxis = first->FXAxis;
        header->FYAxis = first->FYAxis;
        header->FTable = first->FTable;
        map.FHeaders.Append(header);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedSave,
    ::testing::Values(
        TRefusalCase{"empty map", [](TQCMap& m) { m.Clear(); }},
        TRefusalCase{"no position 1",
                     [](TQCMap& m) { m.KZDMap()->CopyPositionHeaders(*m.KZDMap(), 1, 2), m.KZDMap()->FPositions.Delete(0); }},
        TRefusalCase{"position 1 without headers", [](TQCMap& m) { m.IgnitionMap()->FHeaders.Clear(); }},
        TRefusalCase{"101 headers", [](TQCMap& m) { AddHeaders(*m.SecondaryMap(), 99); }},
        TRefusalCase{"a second position",
                     [](TQCMap& m) {
                         m.KZDMap()->CopyPositionAxes(*m.KZDMap(), 1, 2);
                         m.KZDMap()->CopyPositionHeaders(*m.KZDMap(), 1, 2);
                     }},
        TRefusalCase{"a header without its Y axis", [](TQCMap& m) { m.PrimaryMap()->FHeaders.Get(1)->FYAxis = nullptr; }},
        TRefusalCase{"primary only, header without table",
                     [](TQCMap& m) {
                         for (int t : {2, 3, 6})
                             m.GetDeviceMap(t)->Clear();
                         m.PrimaryMap()->FHeaders.Get(0)->FTable = nullptr;
                     }},
        TRefusalCase{"ten device maps in use", [](TQCMap& m) {
                         for (int t = 10; t < 16; ++t)
                             MapFixtures::BuildSmallMap(*m.AddDeviceMap(t), 100, "");
                     }}));

TEST(MapFileFormat, OneHundredHeadersStillSave) {
    TQCMap map;
    MapFixtures::BuildSmallMap(*map.KZDMap(), 100, "");
    AddHeaders(*map.KZDMap(), 98);
    EXPECT_TRUE(TQCMapTransferFile::SaveRefusal(map).empty());
    TQCMap loaded;
    ASSERT_EQ(Load(loaded, Saved(map)), 0);
    EXPECT_EQ(loaded.KZDMap()->FHeaders.Count(), 100);
    EXPECT_EQ(loaded.KZDMap()->TableCount(), 2);
}

// The seeds of the map file fuzzer are golden files of the format: each one is
// what the fixtures save today. KZD_WRITE_CORPUS=1 rewrites them.
TEST(SeedCorpus, CommittedSeedsAreTheSavedFixtures) {
    const fs::path dir = fs::path(KZD_SOURCE_DIR) / "fuzz" / "corpus" / "map_file";
    TQCMap kzd;
    MapFixtures::BuildKzdMap(*kzd.KZDMap(), "KZD seed");
    const std::pair<const char*, std::vector<std::uint8_t>> seeds[] = {
        {"primary_only.kzm", PrimaryOnlyFile()}, {"kzd_only.kzm", Saved(kzd)}, {"four_device_maps.kzm", FullFile()}};
    for (const auto& [name, bytes] : seeds) {
        if (std::getenv("KZD_WRITE_CORPUS"))
            WriteFile(dir / name, bytes);
        EXPECT_EQ(ReadFile(dir / name), bytes) << name;
        TQCMap map;
        TQCMapTransferFile transfer(&map);
        EXPECT_EQ(transfer.LoadFromFile((dir / name).string()), 0) << name;
        EXPECT_FALSE(map.IsEmpty());
    }
}

}  // namespace
