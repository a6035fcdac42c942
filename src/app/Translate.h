#pragma once
#include <QString>
#include <memory>
#include <mutex>

#include "Stringtable.h"

// Translates the program's English texts into the chosen language through
// the string table, process-wide as Translator (owned by TCore). Any thread
// may translate; one re-entrant lock serialises lookups and language changes.
class TTranslate {
public:
    // Over the program's built-in string table.
    TTranslate();
    // Over a table of the caller's (tests, tools).
    explicit TTranslate(std::shared_ptr<const TStringTable> table);

    // Chooses the language by its Windows language identifier ("Lang ID").
    void SetLanguage(int languageId);
    int Language() const;
    // The identifier offset of the current language's block; 0 for English
    // and any language without a block (no translation).
    int LanguageOffset() const;
    // The highest identifier of the English range.
    int EnglishLast() const { return FEnglishLast; }

    // The translation of text: the first English entry equal to text (exact
    // match) gives identifier i, and a non-empty entry at LanguageOffset() + i
    // is the result. Otherwise, and always for English, text itself.
    QString Translate(const QString& text) const;

    // The offset of a language identifier's block (0 when it has none).
    static int OffsetOfLanguage(int languageId);

private:
    std::shared_ptr<const TStringTable> FTable;
    int FLanguage = 0;
    int FEnglishLast = 0;
    mutable std::recursive_mutex FLock;
};

// The process-wide translator; null outside the life of TCore.
extern TTranslate* Translator;

// Translator's translation of text, or text itself while there is no
// Translator (before TCore exists, in tools without one).
QString TranslateText(const QString& text);
