#pragma once
#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>
#include <vector>

// The program's string table: texts by identifier. English texts sit at 0
// upward; each language has a block at its offset (TTranslate), holding at
// offset + i the translation of English text i. Built once, then read-only;
// reads may come from any thread.
class TStringTable {
public:
    // The highest English identifier a table may use; offsets of languages
    // are multiples of KBlockSize.
    static constexpr int KBlockSize = 2500;

    // The entry at id; empty when there is none.
    QString Entry(int id) const;
    void SetEntry(int id, const QString& text);
    // Number of Entry calls so far (lets callers see that a lookup read
    // nothing).
    long long ReadCount() const { return FReads.load(); }

    // Adds a table text: one entry per line, the English identifier
    // (0..KBlockSize-1), a tab, the text; the entry goes to offset + id.
    // Empty lines and lines starting with '#' are skipped; in texts "\t",
    // "\n", "\r" and "\\" stand for tab, line feed, carriage return and
    // backslash. Returns a description of every line it could not use
    // (those lines are skipped).
    QStringList AddTable(const QString& content, int offset);
    // Adds the table in the UTF-8 file at path (a resource path too).
    QStringList AddTableFile(const QString& path, int offset);

    // The tables built into the program, loaded once.
    static std::shared_ptr<const TStringTable> Program();
    // The problems found while loading the built-in tables (empty when clean).
    static QStringList ProgramLoadErrors();

private:
    bool HasEntry(int id) const;

    std::vector<QString> FEntries;
    mutable std::atomic<long long> FReads{0};
};
