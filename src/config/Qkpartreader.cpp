#include "Qkpartreader.h"

std::uint32_t LeWord(const std::uint8_t* bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) | (static_cast<std::uint32_t>(bytes[at + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[at + 2]) << 16) | (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

bool TQKPartReader::Fail(const std::string& why) {
    if (FError.empty())
        FError = why;
    return false;
}

bool TQKPartReader::ReadAt(std::uint64_t offset, void* buffer, std::size_t count, const char* what) {
    if (offset > static_cast<std::uint64_t>(FStream.Size()) || FStream.Seek(static_cast<std::int64_t>(offset), TEncodedFile::soBeginning) < 0)
        return Fail(std::string(what) + " beyond the end of the file");
    return ReadNext(buffer, count, what);
}

bool TQKPartReader::ReadNext(void* buffer, std::size_t count, const char* what) {
    const std::size_t got = FEncoded ? FStream.ReadDecoded(buffer, count) : FStream.Read(buffer, count);
    if (got != count)
        return Fail(std::string(what) + " cut short");
    return true;
}

bool TQKPartReader::ListFits(std::uint64_t offset, std::uint64_t count, std::uint64_t recordSize, const char* what) {
    const std::uint64_t size = static_cast<std::uint64_t>(FStream.Size());
    // count and recordSize come from 32-bit fields, so the product fits.
    if (offset > size || count * recordSize > size - offset)
        return Fail(std::string(what) + " beyond the end of the file");
    return true;
}

bool TQKPartReader::ReadFilterRecord(std::uint64_t offset, TQCFileFilter& filter) {
    std::uint8_t flag = 0;
    std::uint8_t mask[4] = {};
    if (!ReadAt(offset, &flag, 1, "device filter record") || !ReadNext(mask, 4, "device filter record"))
        return false;
    filter.SetCheckType(flag);
    filter.SetTypeMask(LeWord(mask, 0));
    return true;
}

bool TQKPartReader::ReadTexts(std::uint64_t offset, std::uint32_t count, TQCFileFilter& filter, bool models) {
    const char* what = models ? "model number list" : "serial number list";
    if (count == 0)
        return true;
    if (!ListFits(offset, count, 16, what))
        return false;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint8_t text[16] = {};
        if (!(i == 0 ? ReadAt(offset, text, 16, what) : ReadNext(text, 16, what)))
            return false;
        if (models)
            filter.AddModelNumber(TextOfField(text, 16));
        else
            filter.AddSerialNumber(TextOfField(text, 16));
    }
    return true;
}

bool TQKPartReader::ReadMapTypes(std::uint64_t offset, std::uint32_t count, TQCFileFilter& filter) {
    if (count == 0)
        return true;
    if (!ListFits(offset, count, 4, "map type list"))
        return false;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint8_t word[4] = {};
        if (!(i == 0 ? ReadAt(offset, word, 4, "map type list") : ReadNext(word, 4, "map type list")))
            return false;
        filter.AddMapType(static_cast<std::int32_t>(LeWord(word, 0)));
    }
    return true;
}
