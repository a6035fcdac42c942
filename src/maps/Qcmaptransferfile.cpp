#include "Qcmaptransferfile.h"

#include <array>
#include <cstring>
#include <filesystem>
#include <limits>
#include <random>

namespace {

constexpr int NameFieldLength = 256;
constexpr int EntrySize = 44;
constexpr std::uint32_t MaxHeaders = 100;
constexpr std::uint32_t MaxEntries = 9;
// Keeps every offset of a saved file far inside the 31 bits of an address word.
constexpr std::int64_t MaxFileSize = std::int64_t{1} << 30;

std::uint32_t Word(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void PutWord(std::uint8_t* p, std::uint64_t value) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// The non-empty device maps in list order.
std::vector<TQCDeviceMap*> UsedMaps(const TQCMap& map) {
    std::vector<TQCDeviceMap*> used;
    for (TQCDeviceMap* deviceMap : map.FDeviceMaps.Snapshot())
        if (!deviceMap->IsEmpty())
            used.push_back(deviceMap);
    return used;
}

std::string HeaderRefusal(const TQCDeviceMap& deviceMap, const TQCHeader& header, const TQCPosition& first) {
    if (header.FPosition != 1)
        return "a header belongs to position " + std::to_string(header.FPosition);
    if (!header.FXAxis || !header.FYAxis || !header.FTable)
        return "a header has no X axis, Y axis or table";
    if (deviceMap.FAxes.IndexOf(header.FXAxis) < 0 || deviceMap.FAxes.IndexOf(header.FYAxis) < 0 ||
        header.FXAxis->FPosition != 1 || header.FYAxis->FPosition != 1)
        return "a header refers to an axis outside position 1 of its device map";
    if (first.FTables.IndexOf(header.FTable) < 0 || header.FTable->FPosition != 1)
        return "a header refers to a table outside position 1 of its device map";
    return "";
}

std::string DeviceMapRefusal(const TQCDeviceMap& deviceMap) {
    const std::string module = "device map " + std::to_string(deviceMap.FModuleType) + ": ";
    const TQCPosition* first = deviceMap.FPositions.Find(1);
    if (!first)
        return module + "it has no position 1";
    if (deviceMap.FPositions.Count() != 1)
        return module + "map files keep one position, numbered 1";
    const int headers = deviceMap.FHeaders.Count();
    if (headers < 1 || headers > static_cast<int>(MaxHeaders))
        return module + std::to_string(headers) + " headers (1 to 100 fit a map file)";
    for (TQCHeader* header : deviceMap.FHeaders.Snapshot())
        if (std::string why = HeaderRefusal(deviceMap, *header, *first); !why.empty())
            return module + why;
    const std::int64_t size = 16LL * headers + 196LL * deviceMap.FAxes.Count() + deviceMap.TableBytes() + 256;
    if (size > MaxFileSize / 16)
        return module + "too large for a map file";
    return "";
}

std::string TemporaryName(const std::string& target, unsigned attempt) {
    std::random_device random;
    return target + ".~" + std::to_string(random() ^ attempt) + ".tmp";
}

}  // namespace

int TQCMapTransferFile::ReadBlock(std::int32_t address, std::uint8_t* buffer, std::int32_t length) {
    if (!FStream || address < 0 || length < 0)
        return -1;
    return FStream->ReadAt(address, buffer, static_cast<std::size_t>(length)) ? 0 : -1;
}

int TQCMapTransferFile::WriteBlock(std::int32_t address, const std::uint8_t* buffer, std::int32_t length) {
    if (!FStream || address < 0 || length < 0)
        return -1;
    return FStream->WriteAt(address, buffer, static_cast<std::size_t>(length)) ? 0 : -1;
}

// ---- Loading --------------------------------------------------------------

void TQCMapTransferFile::BeginLoad(const std::string& fileName) {
    FMap->Clear();
    FMap->FSource = 1;
    FMap->SetFileName(fileName);
}

int TQCMapTransferFile::LoadFromFile(const std::string& fileName) {
    std::lock_guard<std::recursive_mutex> guard(FMap->Mutex());
    BeginLoad(fileName);
    std::error_code error;
    if (!std::filesystem::is_regular_file(fileName, error))
        return StatusDamaged;
    std::unique_ptr<TQCMapFileStream> stream = TQCMapFileStream::OpenForReading(fileName);
    return stream ? LoadStream(*stream) : StatusDamaged;
}

int TQCMapTransferFile::LoadFromMemory(const std::uint8_t* data, std::size_t size, const std::string& fileName) {
    std::lock_guard<std::recursive_mutex> guard(FMap->Mutex());
    BeginLoad(fileName);
    TQCMapMemoryStream stream(data, size);
    return LoadStream(stream);
}

int TQCMapTransferFile::LoadStream(TQCMapStream& stream) {
    FStream = &stream;
    std::uint8_t format[4];
    int status = ReadBlock(0, format, 4);
    if (status == 0) {
        switch (Word(format)) {
        case 2:
            status = LoadFormat2();
            break;
        case 3:
            status = LoadFormat3();
            break;
        default:
            status = StatusUnknownFormat;
        }
    }
    FStream = nullptr;
    FDeviceMap = nullptr;
    return status;
}

// Reads at an offset taken from the file; offsets beyond 31 bits are damage.
int TQCMapTransferFile::ReadAtWord(std::uint32_t offset, std::uint8_t* buffer, std::int32_t length) {
    if (offset > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max()))
        return StatusDamaged;
    return ReadBlock(static_cast<std::int32_t>(offset), buffer, length) == 0 ? 0 : StatusDamaged;
}

int TQCMapTransferFile::LoadFormat2() {
    std::uint8_t head[48];
    if (ReadBlock(0, head, sizeof head) != 0)
        return StatusDamaged;
    FDeviceMap = FMap->PrimaryMap();
    if (!FDeviceMap)
        return StatusCountOutOfRange;
    FDeviceMap->FMapType = Word(head + 4);
    std::memcpy(FDeviceMap->FOutputConfig.data(), head + 20, 11);
    std::memcpy(FDeviceMap->FBankConfig.data(), head + 31, 15);
    std::uint8_t directory[8];
    if (ReadAtWord(Word(head + 8), directory, sizeof directory) != 0)
        return StatusDamaged;
    const std::uint32_t count = Word(directory);
    if (count < 1 || count > MaxHeaders)
        return StatusCountOutOfRange;
    if (int status = ReadHeaders(count, Word(directory + 4)); status != 0)
        return status;
    return ReadName(Word(head + 16));
}

int TQCMapTransferFile::LoadFormat3() {
    std::uint8_t head[20];
    if (ReadBlock(0, head, sizeof head) != 0)
        return StatusDamaged;
    const std::uint64_t mask = Word(head + 4) | (static_cast<std::uint64_t>(Word(head + 8)) << 32);
    const std::uint32_t count = Word(head + 12);
    if (count < 1 || count > MaxEntries)
        return StatusDamaged;
    std::vector<std::uint8_t> entries(count * EntrySize);
    if (ReadAtWord(Word(head + 16), entries.data(), static_cast<std::int32_t>(entries.size())) != 0)
        return StatusDamaged;
    for (std::uint32_t i = 0; i < count; ++i)
        if (int status = LoadEntry(entries.data() + i * EntrySize, mask); status != 0)
            return status;
    return 0;
}

int TQCMapTransferFile::LoadEntry(const std::uint8_t* entry, std::uint64_t mask) {
    FDeviceMap = FMap->GetDeviceMap(entry[4]);
    if (!FDeviceMap)
        return StatusCountOutOfRange;
    FDeviceMap->FMapType = Word(entry + 8);
    TQCOutputConfig output{};
    TQCBankConfig bank{};
    if (ReadAtWord(Word(entry + 36), output.data(), 11) != 0 || ReadAtWord(Word(entry + 40), bank.data(), 15) != 0)
        return StatusDamaged;
    FDeviceMap->FOutputConfig = output;
    FDeviceMap->FBankConfig = bank;
    const std::uint32_t count = Word(entry + 20);
    if (count < 1 || count > MaxHeaders)
        return StatusDamaged;
    int status = ReadHeaders(count, Word(entry + 24));
    if (status == 0)
        status = ReadName(Word(entry + 28));
    if (status != 0)
        return status;
    if (FDeviceMap->FModuleType == QC_MODULE_PRIMARY)
        for (TQCPosition* position : FDeviceMap->FPositions.Snapshot())
            position->FSfmMode = static_cast<std::uint8_t>(MaskState(mask, position->FNumber));
    if (FDeviceMap->FModuleType == QC_MODULE_SECONDARY)
        if (const TQCDeviceMap* primary = FMap->PrimaryMap())
            FDeviceMap->FBankConfig = primary->FBankConfig;
    return 0;
}

int TQCMapTransferFile::ReadHeaders(std::uint32_t count, std::uint32_t tableOffset) {
    const std::uint64_t last = static_cast<std::uint64_t>(tableOffset) + 16ULL * count;
    if (last > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
        return StatusDamaged;
    std::vector<std::uint8_t> records(count * TQCHeader::RecordSize);
    if (ReadAtWord(tableOffset, records.data(), static_cast<std::int32_t>(records.size())) != 0)
        return StatusDamaged;
    for (std::uint32_t i = 0; i < count; ++i) {
        const auto address = static_cast<std::int32_t>(tableOffset + 16 * i);
        if (ParseHeader(address, records.data() + i * TQCHeader::RecordSize) != 0)
            return StatusDamaged;
    }
    return 0;
}

int TQCMapTransferFile::ReadName(std::uint32_t offset) {
    TQCPosition* first = FDeviceMap->FPositions.Find(1);
    if (!first)
        return 0;
    std::array<std::uint8_t, NameFieldLength> field{};
    if (ReadAtWord(offset, field.data(), NameFieldLength) != 0)
        return StatusDamaged;
    field[NameFieldLength - 1] = 0;
    first->FName = reinterpret_cast<const char*>(field.data());
    return 0;
}

// ---- Saving ---------------------------------------------------------------

std::string TQCMapTransferFile::SaveRefusal(const TQCMap& map) {
    std::lock_guard<std::recursive_mutex> guard(map.Mutex());
    const std::vector<TQCDeviceMap*> used = UsedMaps(map);
    if (used.empty())
        return "the map is empty";
    if (used.size() > MaxEntries)
        return "more than 9 device maps are in use";
    for (const TQCDeviceMap* deviceMap : used)
        if (std::string why = DeviceMapRefusal(*deviceMap); !why.empty())
            return why;
    return "";
}

std::unique_ptr<TQCMapStream> TQCMapTransferFile::CreateStream(const std::string& path) {
    return TQCMapFileStream::Create(path);
}

int TQCMapTransferFile::SaveToFile(const std::string& fileName) {
    std::lock_guard<std::recursive_mutex> guard(FMap->Mutex());
    if (!SaveRefusal(*FMap).empty())
        return StatusDamaged;
    std::string temporary;
    std::unique_ptr<TQCMapStream> stream;
    for (unsigned attempt = 0; attempt < 8 && !stream; ++attempt)
        stream = CreateStream(temporary = TemporaryName(fileName, attempt));
    if (!stream)
        return StatusDamaged;
    int status = SaveStream(*stream);
    const bool finished = stream->Finish();
    stream.reset();
    std::error_code error;
    if (status == 0 && finished)
        std::filesystem::rename(temporary, fileName, error);
    if (status != 0 || !finished || error) {
        std::filesystem::remove(temporary, error);
        return StatusDamaged;
    }
    return 0;
}

int TQCMapTransferFile::SaveToMemory(std::vector<std::uint8_t>& bytes) {
    std::lock_guard<std::recursive_mutex> guard(FMap->Mutex());
    if (!SaveRefusal(*FMap).empty())
        return StatusDamaged;
    TQCMapMemoryStream stream;
    const int status = SaveStream(stream);
    if (status == 0)
        bytes = stream.Bytes();
    return status;
}

int TQCMapTransferFile::SaveStream(TQCMapStream& stream) {
    FStream = &stream;
    const std::vector<TQCDeviceMap*> used = UsedMaps(*FMap);
    const bool primaryOnly = used.size() == 1 && used.front()->FModuleType == QC_MODULE_PRIMARY;
    const int status = primaryOnly ? SaveFormat2(*used.front()) : SaveFormat3();
    FStream = nullptr;
    FDeviceMap = nullptr;
    return status;
}

int TQCMapTransferFile::WriteAt(std::int64_t offset, const std::uint8_t* buffer, std::size_t length) {
    if (offset < 0 || offset > std::numeric_limits<std::int32_t>::max())
        return StatusDamaged;
    return WriteBlock(static_cast<std::int32_t>(offset), buffer, static_cast<std::int32_t>(length)) == 0
               ? 0
               : StatusDamaged;
}

// Gives every axis and the tables of position 1 their file offsets and
// refreshes the header records' address words.
TQCMapTransferFile::TLayout TQCMapTransferFile::Layout(TQCDeviceMap& deviceMap, std::int64_t headerOffset) {
    TLayout layout;
    layout.Headers = headerOffset;
    layout.Axes = headerOffset + 16LL * deviceMap.FHeaders.Count();
    std::int64_t at = layout.Axes;
    for (TQCAxis* axis : deviceMap.FAxes.Snapshot()) {
        axis->FAddress = static_cast<std::int32_t>(at);
        at += TQCAxis::BlockSize;
    }
    layout.Tables = at;
    for (TQCTableData* table : deviceMap.FPositions.Find(1)->FTables.Snapshot()) {
        table->FAddress = static_cast<std::int32_t>(at);
        at += table->DataSize();
    }
    layout.Name = at;
    for (TQCHeader* header : deviceMap.FHeaders.Snapshot()) {
        header->SetAddressOf(TQCHeader::XAxisWord, header->FXAxis->FAddress);
        header->SetAddressOf(TQCHeader::YAxisWord, header->FYAxis->FAddress);
        header->SetAddressOf(TQCHeader::TableWord, header->FTable->FAddress);
    }
    return layout;
}

// Header records, axis blocks, table data and the name field, in that order.
int TQCMapTransferFile::WriteContents(const TQCDeviceMap& deviceMap, const TLayout& layout) {
    std::int64_t at = layout.Headers;
    for (TQCHeader* header : deviceMap.FHeaders.Snapshot()) {
        if (WriteAt(at, header->FRecord.data(), TQCHeader::RecordSize) != 0)
            return StatusDamaged;
        at += TQCHeader::RecordSize;
    }
    for (TQCAxis* axis : deviceMap.FAxes.Snapshot())
        if (WriteAt(axis->FAddress, axis->FData.data(), TQCAxis::BlockSize) != 0)
            return StatusDamaged;
    const TQCPosition* first = deviceMap.FPositions.Find(1);
    for (TQCTableData* table : first->FTables.Snapshot())
        if (table->DataSize() > 0 &&
            WriteAt(table->FAddress, table->Data(), static_cast<std::size_t>(table->DataSize())) != 0)
            return StatusDamaged;
    std::array<std::uint8_t, NameFieldLength> field{};
    std::memcpy(field.data(), first->FName.data(), std::min<std::size_t>(first->FName.size(), NameFieldLength - 1));
    return WriteAt(layout.Name, field.data(), field.size());
}

int TQCMapTransferFile::SaveFormat2(TQCDeviceMap& deviceMap) {
    FDeviceMap = &deviceMap;
    const TLayout layout = Layout(deviceMap, 56);
    std::uint8_t directory[8];
    PutWord(directory, static_cast<std::uint32_t>(deviceMap.FHeaders.Count()));
    PutWord(directory + 4, 56);
    if (WriteAt(48, directory, sizeof directory) != 0 || WriteContents(deviceMap, layout) != 0)
        return StatusDamaged;
    std::uint8_t head[48] = {};
    PutWord(head, 2);
    PutWord(head + 4, deviceMap.FMapType);
    PutWord(head + 8, 48);
    PutWord(head + 12, NameFieldLength);
    PutWord(head + 16, static_cast<std::uint64_t>(layout.Name));
    std::memcpy(head + 20, deviceMap.FOutputConfig.data(), 11);
    std::memcpy(head + 31, deviceMap.FBankConfig.data(), 15);
    return WriteAt(0, head, sizeof head);
}

int TQCMapTransferFile::SaveFormat3() {
    std::uint64_t mask = 0;
    const std::vector<TQCDeviceMap*> used = UsedMaps(*FMap);
    FEntryOffset = 20;
    FDataOffset = 20 + EntrySize * static_cast<std::int32_t>(used.size());
    for (TQCDeviceMap* deviceMap : FMap->FDeviceMaps.Snapshot()) {
        if (deviceMap->FModuleType == QC_MODULE_PRIMARY)
            for (TQCPosition* position : deviceMap->FPositions.Snapshot())
                SetMaskState(mask, position->FNumber, position->FSfmMode);
        if (!deviceMap->IsEmpty() && SaveEntry(*deviceMap) != 0)
            return StatusDamaged;
    }
    std::uint8_t head[20] = {};
    PutWord(head, 3);
    PutWord(head + 4, mask & 0xFFFFFFFFu);
    PutWord(head + 8, mask >> 32);
    PutWord(head + 12, used.size());
    PutWord(head + 16, 20);
    return WriteAt(0, head, sizeof head);
}

int TQCMapTransferFile::SaveEntry(TQCDeviceMap& deviceMap) {
    FDeviceMap = &deviceMap;
    const std::int64_t data = FDataOffset;
    const TLayout layout = Layout(deviceMap, data + 26);
    if (WriteAt(data, deviceMap.FOutputConfig.data(), 11) != 0 ||
        WriteAt(data + 11, deviceMap.FBankConfig.data(), 15) != 0 || WriteContents(deviceMap, layout) != 0)
        return StatusDamaged;
    std::uint8_t entry[EntrySize] = {};
    const std::uint64_t words[] = {3, deviceMap.FModuleType, deviceMap.FMapType, 60, 2,
                                   static_cast<std::uint64_t>(deviceMap.FHeaders.Count()),
                                   static_cast<std::uint64_t>(layout.Headers), static_cast<std::uint64_t>(layout.Name),
                                   NameFieldLength, static_cast<std::uint64_t>(data),
                                   static_cast<std::uint64_t>(data + 11)};
    for (std::size_t i = 0; i < std::size(words); ++i)
        PutWord(entry + 4 * i, words[i]);
    if (WriteAt(FEntryOffset, entry, sizeof entry) != 0)
        return StatusDamaged;
    FDataOffset = static_cast<std::int32_t>(layout.Name + NameFieldLength);
    FEntryOffset += EntrySize;
    return 0;
}
