#include "Translate.h"

#include <algorithm>
#include <initializer_list>

TTranslate* Translator = nullptr;

namespace {
struct TLanguageBlock {
    int Offset;
    std::initializer_list<int> LanguageIds;
};

const TLanguageBlock KLanguageBlocks[] = {
    {2500, {1041}},                                              // Japanese
    {5000, {1040, 2064}},                                        // Italian
    {7500, {1031, 2055, 3079, 4103, 5127}},                      // German
    {10000, {1043, 2067}},                                       // Dutch
    {12500, {1036, 2060, 3084, 4108, 5132}},                     // French
    {15000, {1034, 2058, 3082, 4106, 5130, 6154, 7178, 8202, 9226, 10250, 11274, 12298, 13322,
             14346, 15370, 16394, 17418, 18442, 19466, 20490}},  // Spanish
    {17500, {1028, 2052, 3076, 4100, 5124}},                     // Chinese
};
}  // namespace

TTranslate::TTranslate() : TTranslate(TStringTable::Program()) {}

TTranslate::TTranslate(std::shared_ptr<const TStringTable> table)
    : FTable(table ? std::move(table) : std::make_shared<const TStringTable>()) {
    FEnglishLast = TStringTable::KBlockSize - 1;
    for (int id = TStringTable::KBlockSize - 1; id >= 0; --id) {
        if (!FTable->Entry(id).isEmpty()) {
            FEnglishLast = id;
            break;
        }
    }
}

int TTranslate::OffsetOfLanguage(int languageId) {
    for (const auto& block : KLanguageBlocks) {
        if (std::find(block.LanguageIds.begin(), block.LanguageIds.end(), languageId) !=
            block.LanguageIds.end())
            return block.Offset;
    }
    return 0;
}

void TTranslate::SetLanguage(int languageId) {
    std::lock_guard lock(FLock);
    if (FLanguage != languageId)
        FLanguage = languageId;
}

int TTranslate::Language() const {
    std::lock_guard lock(FLock);
    return FLanguage;
}

int TTranslate::LanguageOffset() const {
    std::lock_guard lock(FLock);
    return OffsetOfLanguage(FLanguage);
}

QString TTranslate::Translate(const QString& text) const {
    std::lock_guard lock(FLock);
    const int offset = LanguageOffset();  // takes the lock again: it is re-entrant
    if (offset == 0)
        return text;
    for (int id = 0; id <= FEnglishLast; ++id) {
        if (FTable->Entry(id) == text) {
            const QString translation = FTable->Entry(offset + id);
            return translation.isEmpty() ? text : translation;
        }
    }
    return text;
}

QString TranslateText(const QString& text) {
    return Translator ? Translator->Translate(text) : text;
}
