#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <vector>

#include "Encodedfile.h"
#include "UpdateFileBuilder.h"

namespace {

std::vector<std::uint8_t> Decoded(TDataEncoder& e, std::vector<std::uint8_t> bytes) {
    e.Decode(bytes.data(), bytes.size());
    return bytes;
}

// Reference values computed outside this code base from the generator and
// table rules (arbitrary-precision arithmetic, low byte taken at the end).
TEST(DataEncoder, DecodesKnownBytesForAKey) {
    TDataEncoder e;
    e.SetKey(0x12345678, 0);
    std::vector<std::uint8_t> in(16);
    std::iota(in.begin(), in.end(), 0);
    const std::vector<std::uint8_t> expected = {0xF6, 0x6B, 0x4D, 0xEF, 0xE5, 0x64, 0xB5, 0x7F,
                                                0xFE, 0xAC, 0xCD, 0xD3, 0xBB, 0xEC, 0xD6, 0x6A};
    EXPECT_EQ(Decoded(e, in), expected);
    EXPECT_EQ(e.Index(), 24);
    EXPECT_EQ(e.Random().State(), 0x0550B531u);
}

struct TTableCase {
    std::uint32_t Low, High;
    std::uint8_t First[8];
    std::uint8_t Index;
    int Sum;
};

class DataEncoderTable : public ::testing::TestWithParam<TTableCase> {};

// Keys whose product with the generator output overflows a signed 64-bit
// value give the two's-complement low byte.
TEST_P(DataEncoderTable, BuildsTheReferenceTable) {
    const auto& c = GetParam();
    TDataEncoder e;
    e.SetKey(c.Low, c.High);
    int sum = 0;
    for (int i = 0; i < 256; ++i) {
        ASSERT_NE(e.TableEntry(i), 0) << i;
        sum += e.TableEntry(i);
    }
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(e.TableEntry(i), c.First[i]) << i;
    EXPECT_EQ(e.Index(), c.Index);
    EXPECT_EQ(sum, c.Sum);
}

INSTANTIATE_TEST_SUITE_P(Keys, DataEncoderTable,
                         ::testing::Values(TTableCase{0xFFFFFFFF, 0x7FFFFFFF, {0x02, 0x87, 0xB1, 0x27, 0x62, 0x65, 0x12, 0x6A}, 2, 34355},
                                           TTableCase{0x89ABCDEF, 0xFEDCBA98, {0x5D, 0x01, 0xB9, 0x75, 0x47, 0x4F, 0x55, 0xD6}, 93, 33293}));

TEST(DataEncoder, FiveBytesInOneCallEqualOnePlusFour) {
    const std::vector<std::uint8_t> in = {0x10, 0x20, 0x30, 0x40, 0x50};
    TDataEncoder whole, split;
    whole.SetKey(0xCAFEBABE, 7);
    split.SetKey(0xCAFEBABE, 7);
    auto a = Decoded(whole, in);
    std::vector<std::uint8_t> b = in;
    split.Decode(b.data(), 1);
    split.Decode(b.data() + 1, 4);
    EXPECT_EQ(a, b);
    EXPECT_EQ(whole.Index(), split.Index());
}

TEST(DataEncoder, SettingTheSameKeyKeepsTheRunningState) {
    TDataEncoder e, fresh;
    e.SetKey(0x89ABCDEF, 0xFEDCBA98);
    fresh.SetKey(0x89ABCDEF, 0xFEDCBA98);
    std::vector<std::uint8_t> aa(8, 0xAA);
    Decoded(e, aa);
    e.SetKey(0x89ABCDEF, 0xFEDCBA98);  // no rebuild
    // Continues where it was: the second 8 bytes differ from a fresh start.
    EXPECT_NE(Decoded(e, aa), Decoded(fresh, aa));
    const std::vector<std::uint8_t> first = {0xDF, 0xD4, 0x04, 0xB6, 0xA2, 0x8F, 0x6F, 0x5E};
    TDataEncoder again;
    again.SetKey(0x89ABCDEF, 0xFEDCBA98);
    EXPECT_EQ(Decoded(again, aa), first);
}

TEST(DataEncoder, NewKeyRebuildsAndResets) {
    TDataEncoder e;
    e.SetKey(1, 0);
    std::vector<std::uint8_t> data(8, 0);
    Decoded(e, data);
    e.SetKey(0x89ABCDEF, 0xFEDCBA98);
    EXPECT_EQ(Decoded(e, std::vector<std::uint8_t>(8, 0xAA)),
              (std::vector<std::uint8_t>{0xDF, 0xD4, 0x04, 0xB6, 0xA2, 0x8F, 0x6F, 0x5E}));
}

TEST(DataEncoder, NewDecoderKeyZeroBuildsNothing) {
    TDataEncoder e;
    e.SetKey(0, 0);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(e.TableEntry(i), 0);
    EXPECT_EQ(e.Index(), 0);
}

TEST(DataEncoder, TestEncoderIsTheExactInverse) {
    std::vector<std::uint8_t> plain(1000);
    for (std::size_t i = 0; i < plain.size(); ++i)
        plain[i] = std::uint8_t(i * 37 + 11);
    auto coded = plain;
    testfiles::TTestEncoder enc(0xDEADBEEF, 0x01234567);
    enc.Encode(coded.data(), 300);
    enc.Encode(coded.data() + 300, 700);
    ASSERT_NE(coded, plain);
    TDataEncoder dec;
    dec.SetKey(0xDEADBEEF, 0x01234567);
    dec.Decode(coded.data(), 1);
    dec.Decode(coded.data() + 1, 999);
    EXPECT_EQ(coded, plain);
}

TEST(EncodedFile, ShortDecodingReadReturnsBytesUndecodedAndKeepsState) {
    std::vector<std::uint8_t> bytes = {1, 2, 3, 4, 5, 6};
    TEncodedFile file(bytes);
    file.SetKey(0x12345678, 0);
    const std::uint8_t index = file.Encoder().Index();
    const std::uint32_t random = file.Encoder().Random().State();
    file.Seek(4, TEncodedFile::soBeginning);
    std::uint8_t buf[4] = {};
    EXPECT_EQ(file.ReadDecoded(buf, 4), 2u);
    EXPECT_EQ(buf[0], 5);
    EXPECT_EQ(buf[1], 6);
    EXPECT_EQ(file.Encoder().Index(), index);
    EXPECT_EQ(file.Encoder().Random().State(), random);
    // The next decoding read continues from the unchanged state, whatever
    // the position: bytes 0..3 decode as the first four of the key's stream.
    file.Seek(0, TEncodedFile::soBeginning);
    std::uint8_t got[4] = {};
    ASSERT_EQ(file.ReadDecoded(got, 4), 4u);
    TDataEncoder ref;
    ref.SetKey(0x12345678, 0);
    std::uint8_t expect[4] = {1, 2, 3, 4};
    ref.Decode(expect, 4);
    EXPECT_EQ(std::vector<std::uint8_t>(got, got + 4), std::vector<std::uint8_t>(expect, expect + 4));
}

TEST(EncodedFile, SecondKeyReplacesTheFirst) {
    TEncodedFile a(std::vector<std::uint8_t>(8, 0x55)), b(std::vector<std::uint8_t>(8, 0x55));
    a.SetKey(0x1111, 0x2222);
    a.SetSecondKey(0x3333, 0x4444);
    b.SetKey(0x3333, 0x4444);
    std::uint8_t x[8], y[8];
    ASSERT_EQ(a.ReadDecoded(x, 8), 8u);
    ASSERT_EQ(b.ReadDecoded(y, 8), 8u);
    EXPECT_EQ(0, std::memcmp(x, y, 8));
    EXPECT_EQ(a.Encoder().Key(), (std::uint64_t(0x4444) << 32) | 0x3333);
}

TEST(EncodedFile, PlainReadsAndSeeksStayWithinTheFile) {
    TEncodedFile f(std::vector<std::uint8_t>{9, 8, 7});
    std::uint8_t buf[8] = {};
    EXPECT_EQ(f.Seek(-1, TEncodedFile::soBeginning), -1);
    EXPECT_EQ(f.Seek(100, TEncodedFile::soBeginning), 100);
    EXPECT_EQ(f.Read(buf, 8), 0u);
    EXPECT_EQ(f.Seek(-2, TEncodedFile::soEnd), 1);
    EXPECT_EQ(f.Read(buf, 8), 2u);
    EXPECT_EQ(buf[0], 8);
    EXPECT_FALSE(TEncodedFile("/nonexistent/dir/x.kzu").IsOpen());
}

}  // namespace
