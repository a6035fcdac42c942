#include "LinkClient.h"
#include "Simulator.h"

#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

class StateFile : public ::testing::Test {
protected:
    void SetUp() override {
        FDir = fs::temp_directory_path() / ("kzd-sim-state-" + std::to_string(::getpid()));
        fs::create_directories(FDir);
        FOptions.StateFile = (FDir / "unit.state").string();
        FOptions.BootDelayMs = 0;
    }
    void TearDown() override { fs::remove_all(FDir); }
    fs::path FDir;
    TSimUnitOptions FOptions;
};

TEST_F(StateFile, MemoryAndBootLoaderSurviveARestart) {
    const std::vector<std::uint8_t> bytes = {9, 8, 7, 6, 5};
    {
        TSimulator sim;
        TSimUnit& unit = sim.AddUnit(FOptions);
        TLinkClient client(unit.SocketPath());
        auto reply = client.Call(0x0004, MemoryRequest(0x0100, 5, bytes));
        ASSERT_TRUE(reply);
        ASSERT_EQ(reply->Data, std::vector<std::uint8_t>{0});
        ASSERT_TRUE(client.Call(0x0027));
        ASSERT_TRUE(unit.WaitAttached(true, 5000));
        ASSERT_TRUE(unit.InBootloader());
    }
    {
        TSimulator sim;
        TSimUnit& unit = sim.AddUnit(FOptions);
        EXPECT_EQ(unit.StateError(), "");
        EXPECT_TRUE(unit.InBootloader());
        EXPECT_EQ(unit.ProductId(), 0x0503);
        EXPECT_EQ(unit.Fram(0x0100, 5), bytes);
    }
    FOptions.FreshState = true;
    TSimulator sim;
    TSimUnit& fresh = sim.AddUnit(FOptions);
    EXPECT_FALSE(fresh.InBootloader());
    EXPECT_NE(fresh.Fram(0x0100, 5), bytes);
}

TEST_F(StateFile, ChangesAreSavedWhileRunning) {
    TSimulator sim;
    TSimUnit& unit = sim.AddUnit(FOptions);
    const auto before = fs::last_write_time(FOptions.StateFile);
    TLinkClient client(unit.SocketPath());
    ASSERT_TRUE(client.Call(0x0004, MemoryRequest(0x0200, 1, {0x42})));
    bool saved = false;
    for (int i = 0; i < 200 && !saved; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
        saved = fs::last_write_time(FOptions.StateFile) != before;
    }
    EXPECT_TRUE(saved);
}

TEST_F(StateFile, DamagedFileIsRefusedAndTheUnitStartsFresh) {
    { TSimulator sim; sim.AddUnit(FOptions); }
    const auto size = fs::file_size(FOptions.StateFile);
    {
        std::fstream f(FOptions.StateFile, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(std::streamoff(size / 2));
        f.put('\x5A').put('\xA5');
    }
    TSimulator sim;
    TSimUnit& unit = sim.AddUnit(FOptions);
    EXPECT_NE(unit.StateError().find("checksum"), std::string::npos) << unit.StateError();
    EXPECT_EQ(unit.FlashWord(0x5000), 24u);

    fs::resize_file(FOptions.StateFile, 10);
    TSimulator sim2;
    TSimUnitOptions other = FOptions;
    TSimUnit& truncated = sim2.AddUnit(other);
    EXPECT_NE(truncated.StateError(), "");
}
