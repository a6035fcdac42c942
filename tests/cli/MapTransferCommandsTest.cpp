// kzdctl map get / map send against the simulated unit, as a user runs them.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <vector>

#include "CliRun.h"
#include "Qcmaptransferfile.h"

namespace fs = std::filesystem;

namespace {

// A fresh state file and output folder per test.
struct MapTransferCommands : ::testing::Test {
    void SetUp() override {
        Dir = fs::temp_directory_path() /
              ("kzdctl-xfer-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(Dir);
        fs::create_directories(Dir);
        Sim = "sim:" + (Dir / "unit.state").string();
    }
    void TearDown() override { fs::remove_all(Dir); }
    std::string File(const std::string& name) const { return (Dir / name).string(); }

    fs::path Dir;
    std::string Sim;
};

// The "positions" array of the first device map in a map show / get JSON
// document, from its "number" of position `number` up to the next position.
std::string PositionJson(const std::string& json, int number) {
    const std::string key = "\"number\": " + std::to_string(number) + ",";
    const std::size_t at = json.find(key);
    if (at == std::string::npos)
        return "";
    const std::size_t end = json.find("\"number\": ", at + key.size());
    return json.substr(at + key.size(), end == std::string::npos ? std::string::npos : end - at - key.size());
}

// The "raw" table bytes of a position's JSON, in table order.
std::vector<std::string> TablesJson(const std::string& position) {
    std::vector<std::string> raws;
    const std::string key = "\"raw\": \"";
    for (std::size_t at = position.find(key); at != std::string::npos; at = position.find(key, at + 1)) {
        const std::size_t start = at + key.size();
        raws.push_back(position.substr(start, position.find('"', start) - start));
    }
    return raws;
}

}  // namespace

TEST_F(MapTransferCommands, GetShowSendAndGetAgain) {
    const std::string out = File("out.kzm");
    TRun get = Kzdctl({"--device", Sim, "map", "get", out});
    ASSERT_EQ(get.Status, 0) << get.Err;
    TQCMap saved;
    TQCMapTransferFile loader(&saved);
    ASSERT_EQ(loader.LoadFromFile(out), 0);
    ASSERT_EQ(saved.KZDMap()->FPositions.Count(), 1);
    EXPECT_EQ(saved.KZDMap()->FPositions.Get(0)->FNumber, 1);
    EXPECT_EQ(saved.KZDMap()->FPositions.Get(0)->FName, "Stock Exhaust");

    TRun show = Kzdctl({"map", "show", out, "--json"});
    ASSERT_EQ(show.Status, 0) << show.Err;
    const std::vector<std::string> fileTables = TablesJson(PositionJson(show.Out, 1));
    ASSERT_EQ(fileTables.size(), 2u);

    TRun send = Kzdctl({"--device", Sim, "map", "send", out, "--position", "2", "--yes"});
    ASSERT_EQ(send.Status, 0) << send.Err;

    TRun json = Kzdctl({"--device", Sim, "map", "get", "--json"});
    ASSERT_EQ(json.Status, 0) << json.Err;
    EXPECT_NE(json.Out.find("\"source\": 2"), std::string::npos);
    const std::string position2 = PositionJson(json.Out, 2);
    EXPECT_NE(position2.find("\"name\": \"Stock Exhaust\""), std::string::npos) << position2;
    EXPECT_EQ(TablesJson(position2), fileTables);
    EXPECT_NE(PositionJson(json.Out, 3).find("\"name\": \"Full System Race\""), std::string::npos);
}

TEST_F(MapTransferCommands, OccupiedTargetWithoutYesFailsAndWritesNothing) {
    const std::string out = File("third.kzm");
    ASSERT_EQ(Kzdctl({"--device", Sim, "map", "get", out, "--position", "3"}).Status, 0);
    const TRun before = Kzdctl({"--device", Sim, "map", "get", "--json"});
    ASSERT_EQ(before.Status, 0) << before.Err;

    TRun refused = Kzdctl({"--device", Sim, "map", "send", out, "--position", "1"});
    EXPECT_EQ(refused.Status, 1);
    EXPECT_EQ(refused.Err, "kzdctl: map send: position 1 of the device's map is occupied; use --yes to overwrite it\n");
    EXPECT_EQ(Kzdctl({"--device", Sim, "map", "get", "--json"}).Out, before.Out);

    TRun free = Kzdctl({"--device", Sim, "map", "send", out, "--position", "5"});
    ASSERT_EQ(free.Status, 0) << free.Err;
    const TRun after = Kzdctl({"--device", Sim, "map", "get", "--json"});
    EXPECT_NE(PositionJson(after.Out, 5).find("\"name\": \"Full System Race\""), std::string::npos);
}

TEST_F(MapTransferCommands, UsageAndInputErrors) {
    struct TCase {
        std::vector<std::string> Args;
        int Status;
        const char* ErrPart;
    };
    const std::string missing = File("missing.kzm");
    const TCase cases[] = {
        {{"map", "get"}, 2, "map get needs OUT.kzm or --json"},
        {{"map", "get", "--json", "--position", "1"}, 2, "--position needs OUT.kzm"},
        {{"map", "get", File("x.kzm"), "--position", "64"}, 2, "--position needs a map position 0..63"},
        {{"map", "get", File("x.kzm"), "--position", "7"}, 2, "no position 7 (positions: 1, 2, 3)"},
        {{"map", "send", missing}, 2, "map send needs --position T"},
        {{"map", "send", missing, "--position", "2"}, 2, "cannot read map file"},
        {{"map", "send", "--position", "2"}, 2, "map send needs IN.kzm"},
    };
    for (const TCase& c : cases) {
        std::vector<std::string> args = {"--device", Sim};
        args.insert(args.end(), c.Args.begin(), c.Args.end());
        const TRun run = Kzdctl(args);
        EXPECT_EQ(run.Status, c.Status) << c.ErrPart;
        EXPECT_NE(run.Err.find(c.ErrPart), std::string::npos) << run.Err;
    }
}
