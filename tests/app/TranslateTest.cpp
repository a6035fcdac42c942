#include <gtest/gtest.h>

#include <QSet>
#include <atomic>
#include <thread>
#include <vector>

#include "Translate.h"

namespace {

// English "Cancel" at 12 with its German entry, "OK" at 13 without one, and
// "Close" at the top of the English range.
std::shared_ptr<TStringTable> GermanTable() {
    auto table = std::make_shared<TStringTable>();
    EXPECT_TRUE(table->AddTable("# English\n12\tCancel\n13\tOK\n40\tClose\n", 0).isEmpty());
    EXPECT_TRUE(table->AddTable("12\tAbbrechen\r\n40\tSchlie\xc3\x9f" "en\r\n", 7500).isEmpty());
    return table;
}

struct OffsetCase {
    int LanguageId;
    int Offset;
};

class LanguageOffsets : public testing::TestWithParam<OffsetCase> {};

TEST_P(LanguageOffsets, LanguageSelectsItsBlock) {
    TTranslate translator(std::make_shared<TStringTable>());
    translator.SetLanguage(GetParam().LanguageId);
    EXPECT_EQ(translator.LanguageOffset(), GetParam().Offset);
}

INSTANTIATE_TEST_SUITE_P(
    Languages, LanguageOffsets,
    testing::Values(OffsetCase{1041, 2500}, OffsetCase{1040, 5000}, OffsetCase{2064, 5000},
                    OffsetCase{1031, 7500}, OffsetCase{2055, 7500}, OffsetCase{3079, 7500},
                    OffsetCase{4103, 7500}, OffsetCase{5127, 7500}, OffsetCase{1043, 10000},
                    OffsetCase{2067, 10000}, OffsetCase{1036, 12500}, OffsetCase{2060, 12500},
                    OffsetCase{3084, 12500}, OffsetCase{4108, 12500}, OffsetCase{5132, 12500},
                    OffsetCase{1034, 15000}, OffsetCase{3082, 15000}, OffsetCase{11274, 15000},
                    OffsetCase{20490, 15000}, OffsetCase{1028, 17500}, OffsetCase{2052, 17500},
                    OffsetCase{5124, 17500}, OffsetCase{1033, 0}, OffsetCase{2057, 0}, OffsetCase{0, 0},
                    OffsetCase{6155, 0}, OffsetCase{-1, 0}));

TEST(Translate, EnglishReturnsEveryTextWithoutReadingTheTable) {
    const auto table = GermanTable();
    TTranslate translator(table);
    EXPECT_EQ(translator.Language(), 0);
    EXPECT_EQ(translator.Translate("Cancel"), "Cancel");  // no language chosen yet
    translator.SetLanguage(1033);
    const long long reads = table->ReadCount();
    EXPECT_EQ(translator.Translate("Cancel"), "Cancel");
    EXPECT_EQ(translator.Translate("anything"), "anything");
    EXPECT_EQ(table->ReadCount(), reads);
}

TEST(Translate, GermanLooksUpTheGermanBlock) {
    TTranslate translator(GermanTable());
    translator.SetLanguage(1031);
    EXPECT_EQ(translator.Translate("Cancel"), "Abbrechen");
    EXPECT_EQ(translator.Translate("Close"), QString::fromUtf8("Schlie\xc3\x9f" "en"));  // highest English entry
    translator.SetLanguage(3079);  // German (Austria) shares the block
    EXPECT_EQ(translator.Translate("Cancel"), "Abbrechen");
}

TEST(Translate, MissingEntriesStayEnglish) {
    TTranslate translator(GermanTable());
    translator.SetLanguage(1031);
    EXPECT_EQ(translator.Translate("OK"), "OK");            // no German entry
    EXPECT_EQ(translator.Translate("Browse"), "Browse");    // no English entry
    EXPECT_EQ(translator.Translate("cancel"), "cancel");    // case counts
    EXPECT_EQ(translator.Translate("Cancel "), "Cancel ");  // so does every character
    translator.SetLanguage(1036);                           // French: no block in the table
    EXPECT_EQ(translator.Translate("Cancel"), "Cancel");
}

TEST(Translate, EnglishRangeEndsAtTheHighestEntry) {
    EXPECT_EQ(TTranslate(GermanTable()).EnglishLast(), 40);
    EXPECT_EQ(TTranslate(std::make_shared<TStringTable>()).EnglishLast(), 2499);
    auto table = std::make_shared<TStringTable>();
    table->SetEntry(2499, "Last");
    table->SetEntry(9999, "Abschluss");
    TTranslate translator(table);
    EXPECT_EQ(translator.EnglishLast(), 2499);
    translator.SetLanguage(1031);
    EXPECT_EQ(translator.Translate("Last"), "Abschluss");
}

TEST(Translate, ThreadsTranslateWhileTheLanguageChanges) {
    TTranslate translator(GermanTable());
    translator.SetLanguage(1031);
    std::atomic<bool> stop{false};
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t) {
        threads.emplace_back([&] {
            while (!stop) {
                const QString text = translator.Translate("Cancel");
                if (text != "Cancel" && text != "Abbrechen")
                    ++wrong;
            }
        });
    }
    for (int i = 0; i < 2000; ++i)
        translator.SetLanguage(i % 2 ? 1033 : 1031);
    stop = true;
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(wrong, 0);
}

TEST(TranslateText, PassesTextsThroughTheProcessTranslator) {
    ASSERT_EQ(Translator, nullptr);
    EXPECT_EQ(TranslateText("Cancel"), "Cancel");
    TTranslate translator(GermanTable());
    translator.SetLanguage(1031);
    Translator = &translator;
    EXPECT_EQ(TranslateText("Cancel"), "Abbrechen");
    Translator = nullptr;
}

// String tables --------------------------------------------------------------

TEST(StringTable, ParsesEntriesEscapesAndReportsBadLines) {
    TStringTable table;
    const QStringList errors = table.AddTable(
        "# comment\n\n0\tTab\\there\\nnext\\\\\n1\tDevice Errors: \n2500\tToo high\nx\tNo id\n"
        "3 no tab\n0\tTwice\n",
        0);
    EXPECT_EQ(table.Entry(0), "Tab\there\nnext\\");
    EXPECT_EQ(table.Entry(1), "Device Errors: ");  // trailing blank kept
    EXPECT_EQ(table.Entry(2500), QString());
    EXPECT_EQ(table.Entry(-5), QString());
    ASSERT_EQ(errors.size(), 4);
    EXPECT_TRUE(errors[0].startsWith("line 5")) << errors[0].toStdString();
    EXPECT_TRUE(errors[3].contains("twice")) << errors[3].toStdString();
}

TEST(StringTable, UnreadableFileIsReported) {
    TStringTable table;
    EXPECT_EQ(table.AddTableFile("/nonexistent/strings.txt", 0).size(), 1);
}

TEST(StringTable, ProgramTableIsCleanAndEachTextIsListedOnce) {
    EXPECT_TRUE(TStringTable::ProgramLoadErrors().isEmpty()) << TStringTable::ProgramLoadErrors().join('\n').toStdString();
    const auto table = TStringTable::Program();
    TTranslate translator(table);
    ASSERT_GT(translator.EnglishLast(), 50);
    QSet<QString> seen;
    for (int id = 0; id <= translator.EnglishLast(); ++id) {
        const QString text = table->Entry(id);
        ASSERT_FALSE(text.isEmpty()) << "gap at " << id;
        EXPECT_FALSE(seen.contains(text)) << "listed twice: " << text.toStdString();
        seen.insert(text);
    }
    for (const char* text : {"Cancel", "OK", "Close", "File", "Exit", "Device Errors: ", "Clear All Recent Files"})
        EXPECT_TRUE(seen.contains(QString::fromLatin1(text))) << text;
}

}  // namespace
