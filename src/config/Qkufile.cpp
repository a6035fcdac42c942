#include "Qkufile.h"

#include <cstdint>
#include <cstring>

#include "Qkpartreader.h"

void TQKUFile::SetImageSize(std::int32_t n) {
    if (n == FImageSize)
        return;
    FImage.clear();
    FImage.shrink_to_fit();
    FImageSize = n > 0 ? n : 0;
    if (FImageSize > 0)
        FImage.assign(static_cast<std::size_t>(FImageSize), 0);
}

bool TQKUFile::Fail(const std::string& why) {
    FError = why;
    SetImageSize(0);
    FScripts.Clear();
    return false;
}

bool TQKUFile::Load(const std::string& fileName) {
    TEncodedFile stream(fileName);
    if (!stream.IsOpen())
        return Fail("cannot open the file");
    return Load(stream);
}

bool TQKUFile::Load(TEncodedFile& stream) {
    SetImageSize(0);
    FScripts.Clear();
    FFilter = TQCFileFilter();
    FFirmwareVersion = 0;
    FBootValue = 0;
    FKey1[0] = FKey1[1] = FKey2[0] = FKey2[1] = 0;
    FError.clear();
    FSkipped.clear();
    std::uint8_t header[KHeaderSize] = {};
    stream.Seek(0, TEncodedFile::soBeginning);
    if (stream.Read(header, 4) != 4)
        return Fail("shorter than a format word");
    const std::uint32_t format = LeWord(header, 0);
    if (format == 1)
        return LoadFormat1(stream);
    if (format == 2 || format == 3) {
        stream.Seek(0, TEncodedFile::soBeginning);
        if (stream.Read(header, KHeaderSize) != KHeaderSize)
            return Fail("header cut short");
        return LoadFormat23(stream, header);
    }
    return Fail("unknown format word " + std::to_string(format));
}

bool TQKUFile::LoadFormat1(TEncodedFile& stream) {
    std::uint8_t header[16] = {};
    stream.Seek(0, TEncodedFile::soBeginning);
    if (stream.Read(header, 16) != 16)
        return Fail("header cut short");
    FFormat = 1;
    FBootValue = LeWord(header, 8);
    if (LeWord(header, 12) == 0)
        return true;
    const std::int64_t length = stream.Size() - 16;
    if (length > INT32_MAX)
        return Fail("image too large");
    SetImageSize(static_cast<std::int32_t>(length));
    if (FImageSize > 0 && stream.Read(FImage.data(), FImage.size()) != FImage.size())
        return Fail("image cut short");
    return true;
}

bool TQKUFile::LoadFormat23(TEncodedFile& stream, const std::uint8_t* header) {
    if (LeWord(header, 4) != 0)
        return Fail("reserved header word is not 0");
    FFormat = LeWord(header, 0);
    FBootValue = LeWord(header, 8);
    FFirmwareVersion = LeWord(header, 12);
    FKey1[0] = LeWord(header, 16);
    FKey1[1] = LeWord(header, 20);
    FKey2[0] = LeWord(header, 24);
    FKey2[1] = LeWord(header, 28);
    stream.SetKey(FKey1[0], FKey1[1]);
    stream.SetSecondKey(FKey2[0], FKey2[1]);

    TQKPartReader reader(stream, IsEncoded());
    const std::uint32_t imageLength = LeWord(header, 60);
    const std::uint64_t imageOffset = LeWord(header, 64);
    bool ok = reader.ReadFilterRecord(LeWord(header, 32), FFilter) &&
              reader.ReadTexts(LeWord(header, 40), LeWord(header, 36), FFilter, false) &&
              reader.ReadTexts(LeWord(header, 48), LeWord(header, 44), FFilter, true) &&
              reader.ReadMapTypes(LeWord(header, 56), LeWord(header, 52), FFilter);
    if (ok && imageLength > 0) {
        ok = imageLength <= INT32_MAX ? reader.ListFits(imageOffset, imageLength, 1, "firmware image")
                                      : reader.Fail("firmware image length out of range");
        if (ok) {
            SetImageSize(static_cast<std::int32_t>(imageLength));
            ok = reader.ReadAt(imageOffset, FImage.data(), FImage.size(), "firmware image");
        }
    }
    if (!ok)
        return Fail(reader.Error());
    return LoadScripts(stream, LeWord(header, 72), LeWord(header, 68));
}

bool TQKUFile::LoadScripts(TEncodedFile& stream, std::uint64_t tableOffset, std::uint32_t count) {
    if (count == 0)
        return true;
    TQKPartReader plain(stream, false);
    if (!plain.ListFits(tableOffset, count, 8, "script table"))
        return Fail(plain.Error());
    std::vector<std::uint8_t> table(static_cast<std::size_t>(count) * 8);
    if (!plain.ReadAt(tableOffset, table.data(), table.size(), "script table"))
        return Fail(plain.Error());
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t offset = LeWord(table.data(), i * 8 + 4);
        auto* script = new TQKSFile();
        if (script->Load(stream, offset, IsEncoded())) {
            FScripts.Append(script);
        } else {
            FSkipped.push_back("script " + std::to_string(i + 1) + " at offset " + std::to_string(offset) + ": " +
                               script->Error());
            delete script;
        }
    }
    return true;
}
