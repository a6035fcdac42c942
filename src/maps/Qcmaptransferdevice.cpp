#include "Qcmaptransferdevice.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <mutex>
#include <string>

#include "Devicemanager.h"
#include "Qc7.h"
#include "Uibridge.h"

namespace {

constexpr std::uint32_t PointerFlag = 0x80000000u;
constexpr std::uint32_t AddressMask = 0x7FFFFFFFu;
constexpr std::int32_t NamesPrimary = 0x7700;
constexpr std::int32_t NamesKzd = 0x7780;
constexpr std::int32_t NameKzdPosition0 = 0x7C80;

std::uint32_t Get32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

void Put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

bool InMapArea(std::uint32_t address) {
    return address >= TQCMapTransferDevice::DirectoryAddress && address <= TQCMapTransferDevice::MapAreaEnd;
}

int CompactSize(const TQCAxis& axis) { return 4 + axis.ByteSize(); }

bool HoldsTable(const TQCDeviceMap& deviceMap, const TQCTableData* table) {
    for (const TQCPosition* position : deviceMap.FPositions.Snapshot())
        if (position->FTables.IndexOf(table) >= 0)
            return true;
    return false;
}

bool IsPrimaryFamily(int moduleType) { return moduleType >= QC_MODULE_PRIMARY && moduleType <= QC_MODULE_IGNITION; }
bool IsKzdFamily(int moduleType) { return moduleType == QC_MODULE_KZD || moduleType == QC_MODULE_KZR; }

}  // namespace

int TQCMapTransferDevice::ReadBlock(std::int32_t address, std::uint8_t* buffer, std::int32_t length) {
    if (!FDriver)
        return -1;
    return FDriver->ReadFram(static_cast<std::uint32_t>(address) & AddressMask, buffer, length);
}

int TQCMapTransferDevice::WriteBlock(std::int32_t address, const std::uint8_t* buffer, std::int32_t length) {
    if (!FDriver)
        return -1;
    return FDriver->WriteFram(static_cast<std::uint32_t>(address) & AddressMask, buffer, length);
}

int TQCMapTransferDevice::ReadMap(TDevManager* deviceManager, const TDeviceID& deviceId) {
    FDeviceIndex = 0;
    FDeviceCount = 1;
    if (!FMap)
        return -1;
    std::lock_guard<std::recursive_mutex> guard(FMap->Mutex());
    FMap->Clear();
    FMap->FSource = 2;
    FDriver = deviceManager ? dynamic_cast<TQC7*>(deviceManager->DriverOfIdentical(deviceId)) : nullptr;
    if (!FDriver)
        return -1;
    FDeviceMap = FMap->GetDeviceMap(deviceId.Kind());
    if (!FDeviceMap)
        return -1;
    return ReadDeviceMap();
}

int TQCMapTransferDevice::SendMap(TDevManager* deviceManager, const TDeviceID& deviceId) {
    FDeviceIndex = 0;
    FDeviceCount = 1;
    if (!FMap)
        return -1;
    std::lock_guard<std::recursive_mutex> guard(FMap->Mutex());
    FDriver = deviceManager ? dynamic_cast<TQC7*>(deviceManager->DriverOfIdentical(deviceId)) : nullptr;
    if (!FDriver)
        return -1;
    FDeviceMap = FMap->GetDeviceMap(deviceId.Kind());
    if (!FDeviceMap)
        return -1;
    return SendDeviceMap();
}

void TQCMapTransferDevice::Notice(const char* text) const {
    if (FUI)
        FUI->ShowMessage(text, "Notice", TUIBridge::TMessageKind::Warning);
}

// ---- reading ----

int TQCMapTransferDevice::ReadDeviceMap() {
    if (!FDriver)
        Notice("Driver Error");
    if (!FDeviceMap)
        Notice("Device Map Error");
    if (!FDriver || !FDeviceMap)
        return -1;
    std::lock_guard<std::recursive_mutex> guard(FDeviceMap->Mutex());
    if (const int status = ReadConfiguration(); status != 0)
        return status;
    std::uint32_t count = 0;
    std::int32_t headerTable = 0;
    int status = ReadDirectory(count, headerTable);
    if (status == 0)
        status = ReadHeaders(count, headerTable);
    if (status == 0)
        status = ReadNames();
    if (FDeviceMap->FModuleType == QC_MODULE_PRIMARY)
        ReadSfmMask();
    ClearSpareAxisBytes();
    return status;
}

int TQCMapTransferDevice::ReadConfiguration() {
    FDeviceMap->FMapType = 0xFFFFFFFFu;
    FDeviceMap->FOutputConfig.fill(0);
    FDeviceMap->FBankConfig.fill(0);
    std::uint8_t model[KQC7ModelInfoSize] = {};
    if (const int status = FDriver->ReadModelInfo(model); status != 0)
        return status;
    FDeviceMap->FMapType = std::uint32_t(model[20]) | std::uint32_t(model[21]) << 8;
    std::vector<std::uint8_t> system(static_cast<std::size_t>(QC7StructSize(TQC7Struct::System)));
    if (system.size() < 15)
        return -1;
    if (const int status = FDriver->ReadSystem(system.data()); status != 0)
        return status;
    std::copy_n(system.begin() + 4, FDeviceMap->FOutputConfig.size(), FDeviceMap->FOutputConfig.begin());
    std::vector<std::uint8_t> wideband(static_cast<std::size_t>(QC7StructSize(TQC7Struct::Wideband)));
    if (wideband.size() >= FDeviceMap->FBankConfig.size() && FDriver->ReadWideband(wideband.data()) == 0)
        std::copy_n(wideband.begin(), FDeviceMap->FBankConfig.size(), FDeviceMap->FBankConfig.begin());
    return 0;
}

int TQCMapTransferDevice::ReadDirectory(std::uint32_t& count, std::int32_t& headerTable) {
    std::vector<std::uint8_t> root(static_cast<std::size_t>(QC7StructSize(TQC7Struct::RootTable)));
    if (root.size() < 8)
        return -1;
    if (const int status = FDriver->ReadRootTable(root.data()); status != 0)
        return status;
    const std::uint32_t directory = Get32(&root[4]) & AddressMask;
    if (!InMapArea(directory))
        return -1;
    std::uint8_t words[8] = {};
    if (const int status = ReadBlock(static_cast<std::int32_t>(directory), words, 8); status != 0)
        return status;
    count = Get32(words);
    headerTable = static_cast<std::int32_t>(Get32(words + 4) & AddressMask);
    if (count < 1 || count > MaxHeaders || !InMapArea(static_cast<std::uint32_t>(headerTable)))
        return -1;
    return 0;
}

int TQCMapTransferDevice::ReadHeaders(std::uint32_t count, std::int32_t headerTable) {
    const int n = static_cast<int>(count);
    std::vector<std::uint8_t> records(static_cast<std::size_t>(TQCHeader::RecordSize) * count);
    if (const int status = ReadBlock(headerTable, records.data(), static_cast<std::int32_t>(records.size())); status != 0)
        return status;
    for (int i = 0; i < n; ++i) {
        if (OnReadProgress)
            OnReadProgress(FDeviceIndex, FDeviceCount, n, i);
        const int status = ParseHeader(headerTable + TQCHeader::RecordSize * i, &records[TQCHeader::RecordSize * i]);
        if (status != 0)
            return status;
        if (OnReadProgress)
            OnReadProgress(FDeviceIndex, FDeviceCount, n, i + 1);
    }
    return 0;
}

int TQCMapTransferDevice::NameSlot(int position, std::int32_t& address, int& size) const {
    const int type = FDeviceMap->FModuleType;
    if (IsPrimaryFamily(type) && (position == 1 || position == 2)) {
        address = NamesPrimary + 256 * position;
        size = 256;
        return 0;
    }
    if (IsKzdFamily(type) && position >= 0 && position <= 10) {
        address = position == 0 ? NameKzdPosition0 : NamesKzd + 128 * position;
        size = 128;
        return 0;
    }
    return -1;
}

int TQCMapTransferDevice::ReadNames() {
    for (int n = 0; n <= 10; ++n) {
        TQCPosition* position = FDeviceMap->FPositions.Find(n);
        std::int32_t address = 0;
        int size = 0;
        if (!position || NameSlot(n, address, size) != 0)
            continue;
        std::vector<char> text(static_cast<std::size_t>(size), 0);
        if (const int status = FDriver->ReadFram(static_cast<std::uint32_t>(address),
                                                  reinterpret_cast<std::uint8_t*>(text.data()), size);
            status != 0)
            return status;
        text.back() = 0;
        position->FName = text.data();
    }
    return 0;
}

void TQCMapTransferDevice::ReadSfmMask() {
    std::vector<std::uint8_t> network(static_cast<std::size_t>(QC7StructSize(TQC7Struct::Network)));
    if (network.size() < 12 || FDriver->ReadNetwork(network.data()) != 0)
        return;
    const std::uint64_t mask = std::uint64_t(Get32(&network[4])) | std::uint64_t(Get32(&network[8])) << 32;
    for (TQCPosition* position : FDeviceMap->FPositions.Snapshot())
        position->FSfmMode = static_cast<std::uint8_t>(MaskState(mask, position->FNumber));
}

// An axis block read from the device runs on into the next block; only its
// first 4 + ByteSize bytes belong to it.
void TQCMapTransferDevice::ClearSpareAxisBytes() {
    for (TQCAxis* axis : FDeviceMap->FAxes.Snapshot())
        std::fill(axis->FData.begin() + CompactSize(*axis), axis->FData.end(), 0);
}

// ---- sending ----

int TQCMapTransferDevice::CheckSendable() const {
    if (!FDeviceMap)
        return -1;
    std::lock_guard<std::recursive_mutex> guard(FDeviceMap->Mutex());
    const int n = FDeviceMap->FHeaders.Count();
    if (n < 1 || n > MaxHeaders)
        return -1;
    for (const TQCHeader* header : FDeviceMap->FHeaders.Snapshot())
        if (!header->FXAxis || !header->FYAxis || !header->FTable || FDeviceMap->FAxes.IndexOf(header->FXAxis) < 0 ||
            FDeviceMap->FAxes.IndexOf(header->FYAxis) < 0 || !HoldsTable(*FDeviceMap, header->FTable))
            return -1;
    long long tableBytes = 0;
    for (const TQCPosition* position : FDeviceMap->FPositions.Snapshot())
        for (const TQCTableData* table : position->FTables.Snapshot())
            tableBytes += table->DataSize() > 0 ? table->DataSize() : 0;
    long long headerBytes = static_cast<long long>(TQCHeader::RecordSize) * n;
    for (const TQCAxis* axis : FDeviceMap->FAxes.Snapshot()) {
        if (axis->IsDamaged())
            return -1;
        headerBytes += CompactSize(*axis);
    }
    return tableBytes <= TableAreaSize && headerBytes <= HeaderAreaSize ? 0 : -1;
}

int TQCMapTransferDevice::SendDeviceMap() {
    if (!FDriver || !FDeviceMap)
        return -1;
    std::lock_guard<std::recursive_mutex> guard(FDeviceMap->Mutex());
    if (CheckSendable() != 0)
        return -1;
    // The model keeps its addresses until the whole map is on the device, so
    // a failed send leaves the caller's map as it was.
    std::vector<std::pair<TQCMapObj*, std::int32_t>> saved;
    for (TQCPosition* position : FDeviceMap->FPositions.Snapshot())
        for (TQCTableData* table : position->FTables.Snapshot())
            saved.emplace_back(table, table->FAddress);
    for (TQCAxis* axis : FDeviceMap->FAxes.Snapshot())
        saved.emplace_back(axis, axis->FAddress);
    std::vector<std::array<std::uint8_t, TQCHeader::RecordSize>> records;
    for (TQCHeader* header : FDeviceMap->FHeaders.Snapshot())
        records.push_back(header->FRecord);

    int status = FDriver->BeginMapWrite();
    if (status == 0)
        status = WriteTables();
    if (status == 0)
        status = WriteHeadersAndAxes();
    if (status == 0)
        status = WriteNames();
    // Also after a failed begin: its reply may be what was lost.
    FDriver->EndMapWrite();
    if (status != 0) {
        for (auto& [object, address] : saved)
            object->FAddress = address;
        int i = 0;
        for (TQCHeader* header : FDeviceMap->FHeaders.Snapshot())
            header->FRecord = records[static_cast<std::size_t>(i++)];
    }
    return status;
}

int TQCMapTransferDevice::WriteTables() {
    std::int32_t address = 0;
    int done = 0;
    const int total = FDeviceMap->TableCount();
    for (TQCPosition* position : FDeviceMap->FPositions.Snapshot())
        for (TQCTableData* table : position->FTables.Snapshot()) {
            if (table->DataSize() <= 0)
                continue;
            table->FAddress = address;
            if (address + table->DataSize() - 1 > TableAreaSize - 1)
                return -1;   // CheckSendable rules this out
            if (OnWriteProgress)
                OnWriteProgress(FDeviceIndex, FDeviceCount, total, done);
            if (const int status = WriteBlock(address, table->Data(), table->DataSize()); status != 0)
                return status;
            ++done;
            address += table->DataSize();
            if (OnWriteProgress)
                OnWriteProgress(FDeviceIndex, FDeviceCount, total, done);
        }
    return 0;
}

int TQCMapTransferDevice::WriteHeadersAndAxes() {
    const int n = FDeviceMap->FHeaders.Count();
    if (FDeviceMap->FAxes.Count() == 0)
        return 0;
    const std::int32_t firstAxis = HeaderTableAddress + TQCHeader::RecordSize * n;
    std::int32_t address = firstAxis;
    std::vector<std::uint8_t> axes;
    for (TQCAxis* axis : FDeviceMap->FAxes.Snapshot()) {
        axis->FAddress = static_cast<std::int32_t>(static_cast<std::uint32_t>(address) | PointerFlag);
        axes.insert(axes.end(), axis->FData.begin(), axis->FData.begin() + CompactSize(*axis));
        address += CompactSize(*axis);
    }
    std::vector<std::uint8_t> records;
    for (TQCHeader* header : FDeviceMap->FHeaders.Snapshot()) {
        header->FRecord[0] = static_cast<std::uint8_t>((header->FRecord[0] & 0xC0) | (header->FPosition & 0x3F));
        header->SetAddressOf(TQCHeader::XAxisWord, header->FXAxis->FAddress);
        header->SetAddressOf(TQCHeader::YAxisWord, header->FYAxis->FAddress);
        header->SetAddressOf(TQCHeader::TableWord, header->FTable->FAddress);
        records.insert(records.end(), header->FRecord.begin(), header->FRecord.end());
    }
    std::uint8_t directory[8];
    Put32(directory, static_cast<std::uint32_t>(n));
    Put32(directory + 4, static_cast<std::uint32_t>(HeaderTableAddress) | PointerFlag);
    int status = WriteBlock(DirectoryAddress, directory, 8);
    if (status == 0)
        status = WriteBlock(HeaderTableAddress, records.data(), static_cast<std::int32_t>(records.size()));
    if (status == 0)
        status = WriteBlock(firstAxis, axes.data(), static_cast<std::int32_t>(axes.size()));
    return status;
}

int TQCMapTransferDevice::WriteNames() {
    for (int n = 0; n <= 10; ++n) {
        const TQCPosition* position = FDeviceMap->FPositions.Find(n);
        std::int32_t address = 0;
        int size = 0;
        if (!position || NameSlot(n, address, size) != 0)
            continue;
        std::vector<std::uint8_t> text(position->FName.begin(),
                                       position->FName.begin() + std::min<std::size_t>(position->FName.size(), size - 1));
        text.push_back(0);
        if (const int status = FDriver->WriteFram(static_cast<std::uint32_t>(address), text.data(),
                                                   static_cast<int>(text.size()));
            status != 0)
            return status;
    }
    return 0;
}
