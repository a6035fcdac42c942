#include "Qcmaptransfer.h"

#include <cstring>
#include <memory>

int TQCMapTransfer::ReadBlock(std::int32_t, std::uint8_t*, std::int32_t) { return -1; }
int TQCMapTransfer::WriteBlock(std::int32_t, const std::uint8_t*, std::int32_t) { return -1; }
int TQCMapTransfer::LoadFromFile(const std::string&) { return -1; }
int TQCMapTransfer::SaveToFile(const std::string&) { return -1; }
int TQCMapTransfer::ReadMap(TDevManager*, const TDeviceID&) { return -1; }
int TQCMapTransfer::SendMap(TDevManager*, const TDeviceID&) { return -1; }

int TQCMapTransfer::ParseHeader(std::int32_t address, const std::uint8_t* record) {
    if (!FDeviceMap || !record)
        return -1;
    std::lock_guard<std::recursive_mutex> guard(FDeviceMap->Mutex());
    auto header = std::make_unique<TQCHeader>();
    std::memcpy(header->FRecord.data(), record, TQCHeader::RecordSize);
    header->FAddress = address;
    header->FPosition = record[0] & 0x3F;
    int status = LinkAxis(*header, TQCHeader::XAxisWord, header->FXAxis);
    if (status == 0)
        status = LinkAxis(*header, TQCHeader::YAxisWord, header->FYAxis);
    if (status == 0)
        status = LinkTable(*header);
    if (status != 0)
        return status;
    if (header->FTable)
        FDeviceMap->ApplySelectors(*header->FTable, *header);
    FDeviceMap->FHeaders.Append(header.release());
    return 0;
}

int TQCMapTransfer::LinkAxis(const TQCHeader& header, int word, TQCAxis*& axis) {
    const std::int32_t address = header.AddressOf(word);
    if ((axis = FDeviceMap->FindAxis(address, header.FPosition)))
        return 0;
    auto block = std::make_unique<TQCAxis>();
    const int status = ReadBlock(address, block->FData.data(), TQCAxis::BlockSize);
    if (status != 0)
        return status;
    if (block->IsDamaged())
        return -1;
    block->FAddress = address;
    block->FPosition = header.FPosition;
    axis = block.get();
    FDeviceMap->FAxes.Append(block.release());
    return 0;
}

int TQCMapTransfer::LinkTable(TQCHeader& header) {
    const std::int32_t address = header.AddressOf(TQCHeader::TableWord);
    if ((header.FTable = FDeviceMap->FindTable(address, header.FPosition)))
        return 0;
    auto table = std::make_unique<TQCTableData>();
    table->FModuleType = FDeviceMap->FModuleType;
    table->SetTableType(header.TableType());
    table->FGearMask = static_cast<std::uint32_t>(header.GearMask());
    table->FSelector = static_cast<std::uint32_t>(header.Selector());
    table->SetXAxis(header.FXAxis);
    table->SetYAxis(header.FYAxis);
    table->FAddress = address;
    table->FPosition = header.FPosition;
    table->SetConfig(&FDeviceMap->FOutputConfig);
    if (table->DataSize() > 0) {
        const int status = ReadBlock(address, table->Data(), table->DataSize());
        if (status != 0)
            return status;
    }
    header.FTable = table.get();
    FDeviceMap->FPositions.FindOrAdd(header.FPosition)->FTables.Append(table.release());
    return 0;
}

int TQCMapTransfer::MaskState(std::uint64_t mask, int n) {
    if (n < 0 || n > 63)
        return 0;
    return (mask >> n) & 1 ? 2 : 1;
}

void TQCMapTransfer::SetMaskState(std::uint64_t& mask, int n, int state) {
    if (n < 0 || n > 63)
        return;
    const std::uint64_t bit = std::uint64_t{1} << n;
    mask = state == 2 ? (mask | bit) : (mask & ~bit);
}
