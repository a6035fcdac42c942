#include <gtest/gtest.h>

#include <cstring>

#include "Qc7errorcode.h"

namespace {

void PutWord(std::uint8_t* p, std::uint32_t w) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(w >> (8 * i));
}

struct TLog {
    std::uint8_t Bytes[KQC7ErrorLogSize] = {};
    TLog(std::uint32_t count, std::initializer_list<std::pair<std::uint32_t, std::int32_t>> entries) {
        PutWord(Bytes, count);
        int k = 0;
        for (auto [word, value] : entries) {
            PutWord(Bytes + 4 + 8 * k, word);
            PutWord(Bytes + 8 + 8 * k, static_cast<std::uint32_t>(value));
            ++k;
        }
    }
};

}  // namespace

TEST(ErrorCode, TextAndSeverityComeFromTheCodeWord) {
    struct {
        std::uint32_t Word;
        std::uint32_t Number;
        const char* Message;
        const char* Severity;
    } cases[] = {
        {0xC0000001u, 1, "Read Only Flash - Invalid Table", "Fatal"},
        {153, 153, "???", "Low"},
        {0x40000000u | 304, 304, "Table Module - No Table Headers", "Medium"},
        {0x80000000u | 2303, 2303, "VR Module - Signal Unsync'd", "High"},
        // Bits 27..29 change neither the number nor the severity.
        {0x38000000u | 3404, 3404, "EX Configuration - Invalid Address", "Low"},
        {90, 90, "Auto Tune Configuration - Invalid Enleanment Max Integrator Step Size", "Low"},
        {0x07FFFFFFu, 0x07FFFFFFu, "???", "Low"},
    };
    for (const auto& c : cases) {
        TQC7ErrorCode code(c.Word, -5);
        EXPECT_EQ(code.Number(), c.Number) << c.Word;
        EXPECT_EQ(code.Message(), c.Message) << c.Word;
        EXPECT_EQ(code.Severity(), c.Severity) << c.Word;
        EXPECT_EQ(code.Value(), -5);
    }
}

TEST(ErrorCode, EveryNumberedTextIsFoundAndNeighboursAreNot) {
    EXPECT_STREQ(TQC7ErrorCode::TextOf(174), "Speed Limiter Configuration - Invalid RPM");
    EXPECT_STREQ(TQC7ErrorCode::TextOf(3000), "O2 Configuration - Invalid Address");
    EXPECT_EQ(TQC7ErrorCode::TextOf(0), nullptr);
    EXPECT_EQ(TQC7ErrorCode::TextOf(175), nullptr);
    EXPECT_EQ(TQC7ErrorCode::TextOf(3405), nullptr);
}

TEST(ErrorLog, EntriesAreListedNewestFirstAndCountsAreBounded) {
    TQC7ErrorCodeList empty;
    AppendErrorLog(TLog(0, {{1, 1}}).Bytes, empty);
    EXPECT_EQ(empty.Count(), 0);

    TQC7ErrorCodeList two;
    AppendErrorLog(TLog(2, {{304, 10}, {0x80000000u | 3, 20}}).Bytes, two);
    ASSERT_EQ(two.Count(), 2);
    EXPECT_EQ(two.Get(0)->Number(), 3u);
    EXPECT_EQ(two.Get(0)->Value(), 20);
    EXPECT_EQ(two.Get(1)->Number(), 304u);

    // A count above 5 reads the five entries of the record and nothing more.
    TQC7ErrorCodeList many;
    AppendErrorLog(TLog(0xFFFFFFFFu, {{1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}}).Bytes, many);
    ASSERT_EQ(many.Count(), 5);
    EXPECT_EQ(many.Get(0)->Number(), 5u);
    EXPECT_EQ(many.Get(4)->Number(), 1u);
}
