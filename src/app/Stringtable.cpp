#include "Stringtable.h"

#include <QDebug>
#include <QFile>

namespace {
QString Unescape(const QString& text) {
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (ch != QLatin1Char('\\') || i + 1 == text.size()) {
            result += ch;
            continue;
        }
        const QChar next = text[++i];
        if (next == QLatin1Char('t')) result += QLatin1Char('\t');
        else if (next == QLatin1Char('n')) result += QLatin1Char('\n');
        else if (next == QLatin1Char('r')) result += QLatin1Char('\r');
        else result += next;
    }
    return result;
}

// The language tables built into the program and the offsets of their blocks.
struct TBuiltInTable {
    const char* Path;
    int Offset;
};
constexpr TBuiltInTable KBuiltInTables[] = {
    {":/strings/en.txt", 0},      {":/strings/ja.txt", 2500},  {":/strings/it.txt", 5000},
    {":/strings/de.txt", 7500},   {":/strings/nl.txt", 10000}, {":/strings/fr.txt", 12500},
    {":/strings/es.txt", 15000},  {":/strings/zh.txt", 17500},
};

struct TProgramTables {
    std::shared_ptr<const TStringTable> Table;
    QStringList Errors;
};
}  // namespace

// Resources of a static library must be registered by hand.
static void InitStringResources() { Q_INIT_RESOURCE(strings); }

namespace {
const TProgramTables& LoadProgramTables() {
    static const TProgramTables tables = [] {
        InitStringResources();
        auto table = std::make_shared<TStringTable>();
        QStringList errors;
        for (const auto& builtIn : KBuiltInTables) {
            if (QFile::exists(QLatin1String(builtIn.Path)))
                errors += table->AddTableFile(QLatin1String(builtIn.Path), builtIn.Offset);
        }
        for (const QString& error : errors)
            qWarning().noquote() << "String table:" << error;
        return TProgramTables{std::move(table), errors};
    }();
    return tables;
}
}  // namespace

QString TStringTable::Entry(int id) const {
    FReads.fetch_add(1, std::memory_order_relaxed);
    if (id < 0 || std::size_t(id) >= FEntries.size())
        return {};
    return FEntries[std::size_t(id)];
}

bool TStringTable::HasEntry(int id) const {
    return id >= 0 && std::size_t(id) < FEntries.size() && !FEntries[std::size_t(id)].isEmpty();
}

void TStringTable::SetEntry(int id, const QString& text) {
    if (id < 0)
        return;
    if (std::size_t(id) >= FEntries.size())
        FEntries.resize(std::size_t(id) + 1);
    FEntries[std::size_t(id)] = text;
}

QStringList TStringTable::AddTable(const QString& content, int offset) {
    QStringList errors;
    const QStringList lines = content.split(QLatin1Char('\n'));
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QString line = lines[n];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        bool ok = false;
        const int id = tab > 0 ? line.left(tab).toInt(&ok, 10) : -1;
        if (!ok || id < 0 || id >= KBlockSize) {
            errors << QStringLiteral("line %1: no identifier 0..%2 and tab").arg(n + 1).arg(KBlockSize - 1);
            continue;
        }
        if (HasEntry(offset + id)) {
            errors << QStringLiteral("line %1: identifier %2 given twice").arg(n + 1).arg(id);
            continue;
        }
        SetEntry(offset + id, Unescape(line.mid(tab + 1)));
    }
    return errors;
}

QStringList TStringTable::AddTableFile(const QString& path, int offset) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {QStringLiteral("%1: cannot be read").arg(path)};
    QStringList errors = AddTable(QString::fromUtf8(file.readAll()), offset);
    for (QString& error : errors)
        error.prepend(path + QStringLiteral(": "));
    return errors;
}

std::shared_ptr<const TStringTable> TStringTable::Program() { return LoadProgramTables().Table; }

QStringList TStringTable::ProgramLoadErrors() { return LoadProgramTables().Errors; }
