#include "SimFixture.h"

#include <filesystem>

namespace fs = std::filesystem;

class Bootloader : public SimFixture {
protected:
    // Enters the boot loader and connects to it.
    void Enter() {
        const std::string app = FUnit->SocketPath();
        ASSERT_EQ(StatusOf(0x0027), 0);
        EXPECT_TRUE(FClient.WaitClosed(5000));
        ASSERT_TRUE(FUnit->WaitAttached(true, 5000));
        EXPECT_TRUE(FUnit->InBootloader());
        EXPECT_FALSE(fs::exists(app));
        EXPECT_EQ(fs::path(FUnit->SocketPath()).filename(), "f1a0-0503-kzd1.sock");
        ASSERT_TRUE(FClient.Connect(FUnit->SocketPath()));
    }
    std::vector<std::uint8_t> Block(std::uint8_t value) { return std::vector<std::uint8_t>(4096, value); }
};

TEST_F(Bootloader, EraseProgramAndExit) {
    Enter();
    auto info = FClient.Call(0x00EA);
    ASSERT_TRUE(info);
    EXPECT_EQ(Word(info->Data, 1), 4u);   // boot loader device type
    EXPECT_EQ(FClient.Call(0x0003, MemoryRequest(0, 4), 150), std::nullopt) << "no FRAM in the boot loader";

    for (int sector = 12; sector <= 25; ++sector) ASSERT_EQ(StatusOf(0x0023, {std::uint8_t(sector)}), 0) << sector;
    EXPECT_EQ(FUnit->Flash(0x28000, 16), std::vector<std::uint8_t>(16, 0xFF));
    EXPECT_EQ(FUnit->Flash(0x7BFF0, 16), std::vector<std::uint8_t>(16, 0xFF));
    EXPECT_EQ(StatusOf(0x0101, MemoryRequest(0x28000, 4096, Block(0x5A))), 2) << "before BeginFirmwareWrite";
    ASSERT_EQ(StatusOf(0x0100, {7}), 0);
    EXPECT_EQ(FUnit->RunInfo().BootValue, 7);
    ASSERT_EQ(StatusOf(0x0101, MemoryRequest(0x28000, 4096, Block(0x5A))), 0);
    ASSERT_EQ(StatusOf(0x0101, MemoryRequest(0x29000, 4096, Block(0xFF))), 0);
    EXPECT_EQ(FUnit->Flash(0x28000, 4096), Block(0x5A));
    EXPECT_EQ(StatusOf(0x0101, MemoryRequest(0x7C000, 4096, Block(0))), 1) << "outside the image area";
    EXPECT_EQ(FUnit->RequestCount(0x0101), 4);

    ASSERT_EQ(StatusOf(0x0021), 0);
    EXPECT_TRUE(FClient.WaitClosed(5000));
    ASSERT_TRUE(FUnit->WaitAttached(true, 5000));
    EXPECT_FALSE(FUnit->InBootloader());
    EXPECT_EQ(FUnit->ProductId(), 0x0506);
    ASSERT_TRUE(FClient.Connect(FUnit->SocketPath()));
    EXPECT_EQ(ReadFlash(0x28000, 4), std::vector<std::uint8_t>(4, 0x5A));
}

TEST_F(Bootloader, ProgrammingOnlyClearsBitsUntilErased) {
    Enter();
    ASSERT_EQ(StatusOf(0x0022, MemoryRequest(0x7000, 4, {0x0F, 0xF0, 0x33, 0x00})), 0);
    const auto before = FUnit->Flash(0x7000, 4);   // old & new
    EXPECT_EQ(before[3], 0x00);
    ASSERT_EQ(StatusOf(0x0023, {7}), 0);
    ASSERT_EQ(StatusOf(0x0022, MemoryRequest(0x7000, 4, {0x0F, 0xF0, 0x33, 0xC3})), 0);
    EXPECT_EQ(FUnit->Flash(0x7000, 4), (std::vector<std::uint8_t>{0x0F, 0xF0, 0x33, 0xC3}));
    EXPECT_EQ(FUnit->FlashWord(0x8000), 20u) << "sector 8 untouched";
}

TEST_F(Bootloader, RefusesProtectedSectorsAndStrayWrites) {
    Enter();
    const std::vector<std::uint8_t> one = {0};
    struct Case { const char* What; std::uint16_t Command; std::vector<std::uint8_t> Data; int Status; };
    const std::vector<Case> cases = {
        {"root table sector", 0x0023, {5}, 2},
        {"model information sector", 0x0023, {11}, 2},
        {"boot loader sector", 0x0023, {26}, 2},
        {"no such sector", 0x0023, {27}, 1},
        {"erase without a sector", 0x0023, {}, 3},
        {"config write outside 0x7000..0xFFFF", 0x0022, MemoryRequest(0x6100, 1, one), 1},
        {"config write over 4096", 0x0022, MemoryRequest(0x8000, 4097, std::vector<std::uint8_t>(4097, 0)), 1},
    };
    for (const auto& c : cases) EXPECT_EQ(StatusOf(c.Command, c.Data), c.Status) << c.What;
    EXPECT_EQ(FUnit->Flash(0x5000, 4)[0], 24);
}

TEST_F(Bootloader, StaysWhenTheImageIsErased) {
    Enter();
    ASSERT_EQ(StatusOf(0x0023, {12}), 0);
    EXPECT_EQ(StatusOf(0x0021), 2);
    EXPECT_TRUE(FUnit->InBootloader());
    EXPECT_TRUE(FClient.Call(0x00EB).has_value()) << "still connected";
}
