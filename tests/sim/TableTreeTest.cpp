#include "SimFixture.h"

#include <algorithm>

namespace {

struct Child {
    int Word;
    int Size;
};

// Structure sizes per table word, as the driver reads them.
const std::vector<Child> RoChildren = {{1, 23}, {2, 64}, {3, 37}, {4, 20}};
const std::vector<Child> RwChildren = {{1, 24}, {2, 104}, {3, 93}, {4, 8}};
const std::vector<Child> FramChildren = {{1, 44},  {2, 52},  {3, 95},  {4, 14},  {5, 50},  {6, 100},
                                         {7, 9},   {8, 15},  {9, 71},  {10, 41}, {11, 70}, {12, 23},
                                         {13, 745}, {14, 42}, {15, 16}, {16, 25}};
const std::vector<Child> FeatureChildren = {{2, 9},  {3, 36}, {4, 18}, {5, 45}, {6, 41},
                                            {7, 10}, {8, 46}, {9, 33}, {10, 49}};

struct Span {
    std::uint32_t First, Last;
};

class TableTree : public SimFixture {
protected:
    // Checks every child of a table: address in range, size word, no overlap.
    void CheckChildren(const std::vector<std::uint8_t>& table, const std::vector<Child>& children, bool ram,
                       std::uint32_t lo, std::uint32_t hi, std::vector<Span>& used) {
        for (const auto& c : children) {
            std::uint32_t a = Word(table, 4 * c.Word);
            if (ram) {
                EXPECT_TRUE(a & 0x80000000u) << "word " << c.Word;
                a &= 0x7FFFFFFFu;
            }
            ASSERT_GE(a, lo) << "word " << c.Word;
            ASSERT_LE(a + c.Size - 1, hi) << "word " << c.Word;
            const auto bytes = ram ? ReadFram(a, std::size_t(c.Size)) : ReadFlash(a, std::size_t(c.Size));
            ASSERT_EQ(bytes.size(), std::size_t(c.Size));
            EXPECT_EQ(Word(bytes, 0), std::uint32_t(c.Size)) << "size word of word " << c.Word;
            used.push_back({a, a + std::uint32_t(c.Size) - 1});
        }
    }
    static bool Overlap(std::vector<Span> spans) {
        std::sort(spans.begin(), spans.end(), [](Span x, Span y) { return x.First < y.First; });
        for (std::size_t i = 1; i < spans.size(); ++i)
            if (spans[i].First <= spans[i - 1].Last) return true;
        return false;
    }
};

} // namespace

TEST_F(TableTree, EveryStructureLiesInItsRangeWithItsSizeWord) {
    auto info = FClient.Call(0x00EA);
    ASSERT_TRUE(info);
    const std::uint32_t rootAddress = Word(info->Data, 1 + 20);
    ASSERT_GE(rootAddress, 0x5000u);
    ASSERT_LE(rootAddress, 0x6000u);
    const auto root = ReadFlash(rootAddress, 24);
    ASSERT_EQ(Word(root, 0), 24u);
    EXPECT_EQ(Word(root, 4) & 0x7FFFFFFFu, 0x6000u);   // map directory

    std::vector<Span> flash, fram;
    const std::uint32_t ro = Word(root, 20), rw = Word(root, 16), ramTable = Word(root, 12) & 0x7FFFFFFFu;
    ASSERT_TRUE(ro >= 0x7000 && ro <= 0x7FFF);
    ASSERT_TRUE(rw >= 0x8000 && rw <= 0xFFFF);
    ASSERT_TRUE(ramTable >= 0x6800 && ramTable <= 0x73FF);
    const auto roTable = ReadFlash(ro, 20), rwTable = ReadFlash(rw, 20), framTable = ReadFram(ramTable, 68);
    EXPECT_EQ(Word(roTable, 0), 20u);
    EXPECT_EQ(Word(rwTable, 0), 20u);
    EXPECT_EQ(Word(framTable, 0), 68u);
    flash.push_back({ro, ro + 19});
    flash.push_back({rw, rw + 19});
    fram.push_back({ramTable, ramTable + 67});
    CheckChildren(roTable, RoChildren, false, 0x7000, 0x7FFF, flash);
    CheckChildren(rwTable, RwChildren, false, 0x8000, 0xFFFF, flash);
    CheckChildren(framTable, FramChildren, true, 0x6800, 0x73FF, fram);
    const auto feature = ReadFram(Word(framTable, 4) & 0x7FFFFFFFu, 44);
    CheckChildren(feature, FeatureChildren, true, 0x6800, 0x73FF, fram);
    EXPECT_FALSE(Overlap(flash));
    EXPECT_FALSE(Overlap(fram));
}

TEST_F(TableTree, SystemAndWidebandDescribeTheOutputs) {
    const auto root = ReadFlash(0x5000, 24);
    const auto roTable = ReadFlash(Word(root, 20), 20);
    const auto system = ReadFlash(Word(roTable, 4), 23);
    ASSERT_EQ(system.size(), 23u);
    const int outputs = system[4];
    ASSERT_GE(outputs, 1);
    ASSERT_LE(outputs, 4);
    EXPECT_GE(system[5], 1);   // cylinders
    for (int i = 0; i < outputs; ++i) {
        EXPECT_LT(system[7 + i], system[5]) << "output " << i << " serves an existing cylinder";
        EXPECT_TRUE(system[11 + i] == 1 || system[11 + i] == 2) << "output kind";
    }
    const auto framTable = ReadFram(Word(root, 12) & 0x7FFFFFFFu, 68);
    const auto wideband = ReadFram(Word(framTable, 4 * 8) & 0x7FFFFFFFu, 15);
    ASSERT_EQ(wideband.size(), 15u);
    EXPECT_EQ(wideband[5] | wideband[6] << 8, 1470);    // stoichiometric 14.70
    EXPECT_NE(wideband[10], 0);                          // cylinders of sensor 1
}

TEST_F(TableTree, MapInFramIsLaidOutAsASendWritesIt) {
    const auto directory = ReadFram(0x6000, 8);
    const std::uint32_t n = Word(directory, 0);
    ASSERT_GE(n, 1u);
    ASSERT_LE(n, 100u);
    ASSERT_EQ(Word(directory, 4), 0x80006008u);
    const auto headers = ReadFram(0x6008, 16 * n);
    std::uint32_t nextTable = 0, nextAxis = 0x6008 + 16 * n;
    std::vector<std::uint32_t> seenAxes;
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::uint8_t* h = &headers[16 * i];
        EXPECT_EQ(h[1], 64) << "fuel table";
        EXPECT_TRUE(h[3] == 208 || h[3] == 209);
        std::uint32_t axes[2];
        std::size_t cells = 1;
        for (int k = 0; k < 2; ++k) {
            const std::uint32_t word = Word(headers, 16 * i + 4 + 4 * k);
            ASSERT_TRUE(word & 0x80000000u);
            axes[k] = word & 0x7FFFFFFFu;
            if (std::find(seenAxes.begin(), seenAxes.end(), axes[k]) == seenAxes.end()) {
                EXPECT_EQ(axes[k], nextAxis) << "axis blocks back to back";
                const auto head = ReadFram(axes[k], 4);
                nextAxis += 4 + 2 * head[0];
                seenAxes.push_back(axes[k]);
            }
            cells *= ReadFram(axes[k], 4)[0];
        }
        EXPECT_EQ(ReadFram(axes[0], 4)[1], 197) << "X axis TPS";
        EXPECT_EQ(ReadFram(axes[1], 4)[1], 28) << "Y axis RPM";
        EXPECT_EQ(Word(headers, 16 * i + 12), (nextTable | 0x80000000u)) << "tables packed from 0";
        nextTable += std::uint32_t(cells);
    }
    EXPECT_LE(nextAxis, 0x6800u);
    const auto name = ReadFram(0x7780 + 128, 128);
    EXPECT_STREQ(reinterpret_cast<const char*>(name.data()), "Stock Exhaust");
}
