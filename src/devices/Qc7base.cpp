#include "Qc7base.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "Usbmessage.h"

namespace {

enum class TSpace { Flash, Ram };

// Where a structure hangs in the tree: its parent (Count = the device
// information record), the parent's word holding its address, its space and
// the permitted address range (inclusive).
struct TTreeNode {
    TQC7Struct Parent;
    int Word;
    TSpace Space;
    std::uint32_t Low, High;
    bool Fill;
};

constexpr std::uint32_t KRamLow = 0x6800, KRamHigh = 0x73FF;
constexpr std::uint32_t KROLow = 0x7000, KROHigh = 0x7FFF;
constexpr std::uint32_t KRWLow = 0x8000, KRWHigh = 0xFFFF;

TTreeNode NodeOf(TQC7Struct which) {
    using S = TQC7Struct;
    const int i = static_cast<int>(which);
    switch (which) {
    case S::RootTable: return {S::Count, 5, TSpace::Flash, 0x5000, 0x6000, false};
    case S::FramTable: return {S::RootTable, 3, TSpace::Ram, KRamLow, KRamHigh, true};
    case S::RWFlashTable: return {S::RootTable, 4, TSpace::Flash, KRWLow, KRWHigh, true};
    case S::ROFlashTable: return {S::RootTable, 5, TSpace::Flash, KROLow, KROHigh, true};
    case S::FeatureTable: return {S::FramTable, 1, TSpace::Ram, KRamLow, KRamHigh, true};
    default: break;
    }
    if (which >= S::System && which <= S::ROBlock4)
        return {S::ROFlashTable, 1 + i - static_cast<int>(S::System), TSpace::Flash, KROLow, KROHigh, false};
    if (which >= S::Device && which <= S::RWBlock4)
        return {S::RWFlashTable, 1 + i - static_cast<int>(S::Device), TSpace::Flash, KRWLow, KRWHigh, false};
    if (which >= S::TPS && which <= S::GlobalTrim)
        return {S::FramTable, 2 + i - static_cast<int>(S::TPS), TSpace::Ram, KRamLow, KRamHigh, false};
    return {S::FeatureTable, 2 + i - static_cast<int>(S::MapSwitch), TSpace::Ram, KRamLow, KRamHigh, false};
}

bool Known(TQC7Struct which) { return which >= TQC7Struct::RootTable && which < TQC7Struct::Count; }

}  // namespace

int TQC7Base::StructureAddress(TQC7Struct which, std::uint32_t& address) {
    if (!Known(which))
        return -1;
    const TTreeNode node = NodeOf(which);
    std::uint8_t parent[KQC7DeviceInfoSize > 68 ? KQC7DeviceInfoSize : 68];
    const int status = node.Parent == TQC7Struct::Count ? ReadDeviceInfo(parent) : ReadStructure(node.Parent, parent);
    if (status != 0)
        return status;
    std::uint32_t word = GetLE32(parent + 4 * node.Word);
    if (node.Space == TSpace::Ram)
        word &= 0x7FFFFFFFu;
    if (word < node.Low || word > node.High)
        return -1;
    address = word;
    return 0;
}

int TQC7Base::ReadStructure(TQC7Struct which, std::uint8_t* buffer) {
    if (!Known(which) || !buffer)
        return -1;
    std::uint32_t address = 0;
    int status = StructureAddress(which, address);
    if (status != 0)
        return status;
    const TTreeNode node = NodeOf(which);
    const int size = QC7StructSize(which);
    status = node.Space == TSpace::Flash ? ReadFlash(address, buffer, size) : ReadFram(address, buffer, size);
    if (status != 0 || !node.Fill)
        return status;
    const std::uint32_t deviceSize = GetLE32(buffer);  // unsigned: a huge word means "no fill"
    if (deviceSize < static_cast<std::uint32_t>(size))
        std::memset(buffer + deviceSize, 0, static_cast<std::size_t>(size) - deviceSize);
    return 0;
}

int TQC7Base::WriteStructure(TQC7Struct which, const std::uint8_t* buffer) {
    if (!Known(which) || !QC7StructWritable(which) || !buffer)
        return -1;
    if (which == TQC7Struct::FeatureTable)
        return WriteFeatureTableKeepingSize(buffer);
    std::uint32_t address = 0;
    int status = StructureAddress(which, address);
    if (status == 0)
        status = WriteFram(address, buffer, QC7StructSize(which));
    return status == 0 ? ApplyConfiguration() : status;
}

int TQC7Base::WriteFeatureTableKeepingSize(const std::uint8_t* buffer44) {
    constexpr int KSize = 44;
    std::uint32_t address = 0;
    int status = StructureAddress(TQC7Struct::FeatureTable, address);
    std::uint8_t sizeWord[4];
    if (status == 0)
        status = ReadFram(address, sizeWord, 4);
    if (status != 0)
        return status;
    const std::uint32_t deviceSize = GetLE32(sizeWord);
    // A size that cannot even hold its own size word, or that is larger than
    // the whole RAM structure region, is not the device's table.
    if (deviceSize < 4 || deviceSize > KRamHigh - KRamLow + 1)
        return -2;
    std::uint8_t data[KSize];
    std::memcpy(data, buffer44, KSize);
    PutLE32(data, deviceSize);
    status = WriteFram(address, data, static_cast<int>(std::min<std::uint32_t>(deviceSize, KSize)));
    return status == 0 ? ApplyConfiguration() : status;
}

int TQC7Base::ReadSerialNumber(std::uint8_t* buffer16) { return ReadFlash(KSerialNumberAddress, buffer16, KQC7SerialNumberSize); }
int TQC7Base::ReadGuid(std::uint8_t* buffer16) { return ReadFlash(KGuidAddress, buffer16, KQC7GuidSize); }
int TQC7Base::ReadModelInfo(std::uint8_t* buffer22) { return ReadFlash(KModelInfoAddress, buffer22, KQC7ModelInfoSize); }

int TQC7Base::WriteFramTableSection(const std::uint8_t* buffer68) {
    return WriteFram(KFramTableAddress, buffer68, QC7StructSize(TQC7Struct::FramTable));
}

int TQC7Base::RewriteFlashRegion(int sector, std::uint32_t address, const std::uint8_t* image, int length) {
    const int status = EraseSector(sector);
    return status == 0 ? WriteFlash(address, image, false, length) : status;
}

int TQC7Base::ProgramFirmware(const std::uint8_t* image, int length, int value) {
    if (length < 0 || (length > 0 && !image))
        return -1;
    for (int sector = KFirmwareFirstSector; sector <= KFirmwareLastSector; ++sector) {
        const int status = EraseSector(sector);
        if (status != 0)
            return status;
    }
    int status = BeginFirmwareWrite(value);
    std::vector<std::uint8_t> block(KFlashBlock);
    for (int offset = 0; status == 0 && offset < length; offset += KFlashBlock) {
        const int n = std::min(KFlashBlock, length - offset);
        std::fill(block.begin(), block.end(), std::uint8_t{0xFF});
        std::memcpy(block.data(), image + offset, static_cast<std::size_t>(n));
        status = WriteFlash(KFirmwareAddress + static_cast<std::uint32_t>(offset), block.data(), true, KFlashBlock);
    }
    return status;
}
