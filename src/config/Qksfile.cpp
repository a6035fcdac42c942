#include "Qksfile.h"

#include "Qkpartreader.h"

bool TQKSFile::Load(TEncodedFile& stream, std::int64_t offset, bool encoded) {
    FFilter.Clear();
    FSections.Clear();
    FName.clear();
    FError.clear();
    TQKPartReader reader(stream, encoded);
    std::uint8_t header[KHeaderSize] = {};
    bool ok = offset >= 0 ? reader.ReadAt(static_cast<std::uint64_t>(offset), header, KHeaderSize, "script header")
                          : reader.Fail("script header beyond the start of the file");
    if (ok && LeWord(header, 4) != 0)
        ok = reader.Fail("script reserved word is not 0");
    if (ok) {
        FName = TextOfField(header + 8, 64);
        const std::uint64_t base = static_cast<std::uint64_t>(offset);
        ok = reader.ReadFilterRecord(base + LeWord(header, 72), FFilter) &&
             reader.ReadTexts(base + LeWord(header, 80), LeWord(header, 76), FFilter, false) &&
             reader.ReadTexts(base + LeWord(header, 88), LeWord(header, 84), FFilter, true) &&
             reader.ReadMapTypes(base + LeWord(header, 96), LeWord(header, 92), FFilter) &&
             ReadSections(reader, base + LeWord(header, 104), LeWord(header, 100));
    }
    if (!ok) {
        FSections.Clear();
        FError = reader.Error();
    }
    return ok;
}

bool TQKSFile::ReadSections(TQKPartReader& reader, std::uint64_t offset, std::uint32_t count) {
    if (count == 0)
        return true;
    if (!reader.ListFits(offset, count, TQKSFileSection::KRecordSize, "section list"))
        return false;
    for (std::uint32_t i = 0; i < count; ++i) {
        TQKSFileSection::TRecord record{};
        const bool read = i == 0 ? reader.ReadAt(offset, record.data(), record.size(), "section list")
                                 : reader.ReadNext(record.data(), record.size(), "section list");
        if (!read)
            return false;
        FSections.Append(new TQKSFileSection(record));
    }
    return true;
}
