#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../maps/MapFixtures.h"
#include "CliRun.h"
#include "Jsonwriter.h"
#include "MapCommands.h"
#include "Qcmaptransferfile.h"

namespace fs = std::filesystem;

namespace {

std::string MapJson(const TQCMap& map) {
    std::ostringstream out;
    TJsonWriter json(out);
    WriteMapJson(json, map);
    json.Finish();
    return out.str();
}

class MapShow : public ::testing::Test {
protected:
    void SetUp() override {
        FDir = fs::temp_directory_path() /
               ("kzd_cli_map_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(FDir);
        fs::create_directories(FDir);
    }
    void TearDown() override { fs::remove_all(FDir); }
    std::string Path(const std::string& name) const { return (FDir / name).string(); }
    void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        std::ofstream out(Path(name), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    void Save(TQCMap& map, const std::string& name) const {
        TQCMapTransferFile transfer(&map);
        ASSERT_EQ(transfer.SaveToFile(Path(name)), 0);
    }
    fs::path FDir;
};

// One fuel table of 2 x 2 cells in the primary device map.
void BuildTinyMap(TQCMap& map) {
    TQCDeviceMap& primary = *map.PrimaryMap();
    MapFixtures::SetTypicalConfig(primary);
    primary.FMapType = 7;
    MapFixtures::TDeviceMapBuilder build(primary);
    TQCAxis* tps = build.AddAxis(QC_AXIS_TPS, 2, 0, 50);
    TQCAxis* rpm = build.AddAxis(QC_AXIS_RPM, 2, 1000, 1000);
    TQCTableData* fuel = build.AddTable(QC_TABLE_FUEL, 208, 0x01, tps, rpm);
    const std::uint8_t raw[] = {100, 160, 161, 0};
    std::copy(std::begin(raw), std::end(raw), fuel->Data());
    primary.FPositions.Find(1)->FName = "Tiny";
}

TEST_F(MapShow, JsonFormOfAFile) {
    TQCMap map;
    BuildTinyMap(map);
    Save(map, "tiny.kzm");
    const TRun run = Kzdctl({"map", "show", Path("tiny.kzm"), "--json"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Err, "");
    EXPECT_EQ(run.Out, R"({
  "source": 1,
  "file_name": "tiny.kzm",
  "device_maps": [
    {
      "module_type": 1,
      "map_type": 7,
      "output_config": [4, 4, 6, 0, 1, 2, 3, 1, 1, 2, 2],
      "bank_config": [1, 2, 3, 4, 2, 5, 6, 7, 8, 9, 3, 11, 12, 13, 12],
      "table_memory_usage": 0.016277366322129082,
      "header_memory_usage": 1.5640273704789833,
      "axes": [
        {"position": 1, "axis_id": 197, "name": "TPS", "count": 2, "values": [0, 50]},
        {"position": 1, "axis_id": 28, "name": "RPM", "count": 2, "values": [1000, 2000]}
      ],
      "headers": [
        {"position": 1, "table_type": 64, "gear_mask": 1, "selector": 208, "x_axis": 0, "y_axis": 1, "table": {"position": 1, "index": 0}}
      ],
      "positions": [
        {
          "number": 1,
          "name": "Tiny",
          "sfm_mode": 0,
          "tables": [
            {
              "table_type": 64,
              "type_name": "Fuel",
              "group_name": "Fuel",
              "data_type": 3,
              "decimals": 0,
              "x_axis": 0,
              "y_axis": 1,
              "cylinders": [1, 0, 0, 0],
              "gears": [1, 0, 0, 0, 0, 0],
              "cylinder_text": "Cylinder 1",
              "gear_text": "Gear 1",
              "raw": "64a0a100",
              "values": [
                [0, 60],
                [62, -100]
              ]
            }
          ]
        }
      ]
    }
  ]
}
)");
}

TEST_F(MapShow, ReadableFormPrintsGridsWithAxes) {
    TQCMap map;
    BuildTinyMap(map);
    Save(map, "tiny.qkm");
    const TRun run = Kzdctl({"map", "show", Path("tiny.qkm")});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_NE(run.Out.find("Map Position 1: \"Tiny\""), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find("RPM\\TPS        0       50\n"), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find("   1000        0       60\n"), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find("   2000       62     -100\n"), std::string::npos) << run.Out;
}

struct TStatusCase {
    const char* Name;
    std::vector<std::string> Args;  // "@" stands for the test folder
    std::vector<std::uint8_t> File;  // written as "@/f.kzm" when not empty
    int Status;
    const char* ErrorPart;
};

class MapShowStatus : public MapShow, public ::testing::WithParamInterface<TStatusCase> {};

TEST_P(MapShowStatus, FailsWithOneErrorLine) {
    const TStatusCase& c = GetParam();
    if (!c.File.empty())
        Write("f.kzm", c.File);
    std::vector<std::string> args;
    for (std::string a : c.Args)
        args.push_back(a.rfind("@", 0) == 0 ? FDir.string() + a.substr(1) : a);
    const TRun run = Kzdctl(args);
    EXPECT_EQ(run.Status, c.Status) << c.Name;
    EXPECT_EQ(run.Out, "") << c.Name;
    EXPECT_EQ(run.Err.rfind("kzdctl: ", 0), 0u) << run.Err;
    EXPECT_EQ(std::count(run.Err.begin(), run.Err.end(), '\n'), 1) << run.Err;
    EXPECT_NE(run.Err.find(c.ErrorPart), std::string::npos) << run.Err;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MapShowStatus,
    ::testing::Values(
        TStatusCase{"no file", {"map", "show"}, {}, 2, "bad usage"},
        TStatusCase{"two files", {"map", "show", "a.kzm", "b.kzm"}, {}, 2, "bad usage"},
        TStatusCase{"unknown option", {"map", "show", "a.kzm", "--all"}, {}, 2, "'--all'"},
        TStatusCase{"older map file", {"map", "show", "@/old.qzm"}, {}, 2, "old.qzm': older map files (.qzm) are not supported yet"},
        TStatusCase{"not a map file", {"map", "show", "@/notes.txt"}, {}, 2, "not a map file"},
        TStatusCase{"missing", {"map", "show", "@/none.kzm", "--json"}, {}, 2, "(status -1)"},
        TStatusCase{"unknown format", {"map", "show", "@/f.kzm"}, {9, 0, 0, 0, 1, 2, 3, 4}, 2,
                    "cannot read map file '"},
        TStatusCase{"truncated", {"map", "show", "@/f.kzm", "--json"}, {2, 0, 0, 0, 1, 2, 3, 4}, 2, "damaged (status -1)"}));

TEST_F(MapShow, UnknownFormatWordNamesItsStatus) {
    Write("f.kzm", {9, 0, 0, 0});
    EXPECT_EQ(Kzdctl({"map", "show", Path("f.kzm")}).Err,
              "kzdctl: cannot read map file '" + Path("f.kzm") + "': unknown format word (status -3)\n");
}

// A map saved and shown again gives the same JSON form as the map in memory,
// apart from what a load sets (source and file name here; the fixtures hold
// the secondary bank configuration and SFM modes as a load gives them).
class MapRoundTrip : public MapShow, public ::testing::WithParamInterface<int> {};

TEST_P(MapRoundTrip, SavedFileShowsLikeTheMapInMemory) {
    TQCMap map;
    switch (GetParam()) {
    case 0:
        MapFixtures::BuildFullMap(map);
        break;
    case 1:
        MapFixtures::BuildKzdMap(*map.KZDMap(), MapFixtures::LongName(255, 'A'));
        break;
    default:
        MapFixtures::BuildSmallMap(*map.PrimaryMap(), 100, "Primary only");
    }
    Save(map, "round.kzm");
    map.FSource = 1;
    map.FFileName = "round.kzm";
    const TRun run = Kzdctl({"map", "show", Path("round.kzm"), "--json"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, MapJson(map));
    if (GetParam() != 2)
        EXPECT_NE(run.Out.find("\"type_name\": \"Offset (Volts)\""), std::string::npos) << "every table type";
}

INSTANTIATE_TEST_SUITE_P(Maps, MapRoundTrip, ::testing::Values(0, 1, 2));

TEST(JsonWriter, EscapesTextAndKeepsItValid) {
    EXPECT_EQ(TJsonWriter::Quote("a\"b\\c\n\t\x01"), R"("a\"b\\c\n\t\u0001")");
    EXPECT_EQ(TJsonWriter::Quote("Gr\xc3\xbc\xc3\x9f"), "\"Gr\xc3\xbc\xc3\x9f\"") << "UTF-8 stays as it is";
    EXPECT_EQ(TJsonWriter::Quote("x\xfc" "y\xc3"), R"("x\u00fcy\u00c3")") << "stray bytes become their code";
    EXPECT_EQ(TJsonWriter::Quote("\xed\xa0\x80"), R"("\u00ed\u00a0\u0080")") << "no surrogates";
}

TEST(JsonWriter, NumbersReadBackExactly) {
    for (double value : {0.1, -0.24995, 14.705, 1e300, 5e-324, 1.7976931348623157e308, -0.0, 123456789.0}) {
        const std::string text = TJsonWriter::FormatDouble(value);
        EXPECT_EQ(std::strtod(text.c_str(), nullptr), value) << text;
    }
    EXPECT_EQ(TJsonWriter::FormatDouble(0.1), "0.1");
    EXPECT_EQ(TJsonWriter::FormatDouble(60), "60");
    EXPECT_EQ(TJsonWriter::FormatDouble(std::nan("")), "null");
}

TEST(JsonWriter, NestsCompactAndIndentedContainers) {
    std::ostringstream out;
    TJsonWriter json(out);
    json.BeginObject();
    json.Key("a").BeginArray(true);
    json.Int(1);
    json.BeginObject();
    json.Key("b").Null();
    json.EndObject();
    json.EndArray();
    json.Key("c").BeginArray();
    json.EndArray();
    json.Key("d").Bool(true);
    json.EndObject();
    json.Finish();
    EXPECT_EQ(out.str(), "{\n  \"a\": [1, {\"b\": null}],\n  \"c\": [],\n  \"d\": true\n}\n");
}

}  // namespace
