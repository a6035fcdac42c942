#pragma once
#include <cstdint>

#include "Qc7.h"

// The table-tree logic of a controller, on top of the transport primitives:
// every structure is found by reading the tables above it (down from the
// device information record) and checking each child address against the
// range permitted for it. Nothing is cached between calls. Shared by the USB
// and the CAN controller drivers.
class TQC7Base : public TQC7 {
public:
    static constexpr std::uint32_t KGuidAddress = 0x6100;          // flash
    static constexpr std::uint32_t KSerialNumberAddress = 0x6110;  // flash
    static constexpr std::uint32_t KModelInfoAddress = 0x20000;    // flash
    static constexpr std::uint32_t KFramTableAddress = 0x6800;     // RAM
    static constexpr std::uint32_t KFirmwareAddress = 0x28000;     // flash
    static constexpr int KFirmwareFirstSector = 12;
    static constexpr int KFirmwareLastSector = 25;
    static constexpr int KFlashBlock = 4096;

    // Reads the structure at its address. -1 when a table above it points
    // outside the permitted range (no read of the structure then, buffer
    // untouched); the status of the first failing read otherwise. The four
    // pointer tables below the root come back with the bytes from their own
    // size word up to the structure size set to 0 when the device's table
    // is shorter; other structures are read at full size.
    int ReadStructure(TQC7Struct which, std::uint8_t* buffer) override;
    // Writes a RAM structure and applies it; -1 for structures without a
    // write operation. WriteFeatureTable reads the device's size word S,
    // writes min(S, 44) bytes with S in word 0 and applies; -2 with nothing
    // written when S is below 4 or beyond the RAM structure region (3072).
    int WriteStructure(TQC7Struct which, const std::uint8_t* buffer) override;

    int ReadSerialNumber(std::uint8_t* buffer16) override;
    int ReadGuid(std::uint8_t* buffer16) override;
    int ReadModelInfo(std::uint8_t* buffer22) override;

    // The address of a structure as the tree gives it (bit 31 cleared for
    // RAM structures), checked against its range.
    int StructureAddress(TQC7Struct which, std::uint32_t& address);

    // The "Fram Table" section: 68 bytes written at 0x6800, not applied.
    int WriteFramTableSection(const std::uint8_t* buffer68);

    // On a boot loader device: erase a configuration flash sector and write a
    // region image from address in pieces of at most 4096 bytes.
    int RewriteFlashRegion(int sector, std::uint32_t address, const std::uint8_t* image, int length);
    // On a boot loader device: erase sectors 12..25, announce the image with
    // value, then write 4096-byte blocks from 0x28000, the last one filled
    // with 0xFF. Stops at the first failure and returns its status.
    int ProgramFirmware(const std::uint8_t* image, int length, int value);

private:
    int WriteFeatureTableKeepingSize(const std::uint8_t* buffer44);
};
