#include "LinkClient.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

#ifdef KZD_SIM_EXE

namespace fs = std::filesystem;
extern char** environ;

namespace {

pid_t Spawn(const std::vector<std::string>& args, const std::string& out) {
    std::vector<char*> argv;
    std::string exe = KZD_SIM_EXE;
    argv.push_back(exe.data());
    std::vector<std::string> copy = args;
    for (auto& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

int WaitExit(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Slurp(const std::string& path) {
    std::ifstream f(path);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

bool WaitFor(const fs::path& p, bool present) {
    for (int i = 0; i < 500; ++i) {
        if (fs::exists(p) == present) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

class SimMain : public ::testing::Test {
protected:
    void SetUp() override {
        FDir = fs::temp_directory_path() / ("kzd-sim-main-" + std::to_string(::getpid()));
        fs::create_directories(FDir);
        FOut = (FDir / "out.txt").string();
    }
    void TearDown() override { fs::remove_all(FDir); }
    fs::path FDir;
    std::string FOut;
};

} // namespace

TEST_F(SimMain, ServesUnitsUntilTerminated) {
    const fs::path link = FDir / "link";
    const pid_t pid = Spawn({link.string(), "--units", "2", "--state", (FDir / "s.state").string()}, FOut);
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(WaitFor(link / "f1a0-0506-kzd2.sock", true));
    ASSERT_TRUE(fs::exists(link / "f1a0-0506-kzd1.sock"));
    TLinkClient client((link / "f1a0-0506-kzd1.sock").string());
    EXPECT_TRUE(client.Call(0x00EB));
    ::kill(pid, SIGTERM);
    EXPECT_EQ(WaitExit(pid), 0);
    EXPECT_FALSE(fs::exists(link / "f1a0-0506-kzd1.sock"));
    EXPECT_FALSE(fs::exists(link / "f1a0-0506-kzd2.sock"));
    EXPECT_TRUE(fs::exists(FDir / "s.state"));
    EXPECT_TRUE(fs::exists(FDir / "s.state.2"));
}

TEST_F(SimMain, RefusesOverlongDirectoryAndBadOptions) {
    const fs::path deep = FDir / std::string(100, 'x');
    EXPECT_EQ(WaitExit(Spawn({deep.string()}, FOut)), 1);
    EXPECT_NE(Slurp(FOut).find("107"), std::string::npos) << Slurp(FOut);
    EXPECT_FALSE(fs::exists(deep)) << "nothing created";
    EXPECT_EQ(WaitExit(Spawn({(FDir / "l").string(), "--drop-reply", "0"}, FOut)), 2);
    EXPECT_EQ(WaitExit(Spawn({(FDir / "l").string(), "--bogus"}, FOut)), 2);
    EXPECT_EQ(WaitExit(Spawn({"--help"}, FOut)), 0);
    EXPECT_NE(Slurp(FOut).find("--report-interval-us"), std::string::npos);
}

#endif
