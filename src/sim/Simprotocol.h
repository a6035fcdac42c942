#pragma once
#include <cstdint>

// The wire vocabulary of a KZD unit as the device side sees it: command
// numbers, the status bytes it answers with, the report layout and the fixed
// addresses of its memory map.
namespace SimProtocol {

// Reports on the link: report id, 4 tag bytes, 60 stream bytes.
constexpr int ReportSize = 65;
constexpr int TagSize = 4;
constexpr int StreamBytesPerReport = ReportSize - 1 - TagSize;   // 60
constexpr int HeaderSize = 4;                                       // command + total length
// Largest request data a unit takes in (a firmware piece is 6 + 4096 bytes).
constexpr int MaxRequestData = 4608;

enum TCommand : std::uint16_t {
    CmdReadFram = 0x0003,
    CmdWriteFram = 0x0004,
    CmdReadChannels = 0x0005,
    CmdReadFlash = 0x0006,
    CmdExitBootloader = 0x0021,
    CmdWriteConfigFlash = 0x0022,
    CmdEraseSector = 0x0023,
    CmdEnterBootloader = 0x0027,
    CmdBeginFirmwareWrite = 0x0100,
    CmdWriteFirmwareFlash = 0x0101,
    CmdReadErrorLog = 0x00E8,
    CmdReadDeviceInfo = 0x00EA,
    CmdReadFirmwareInfo = 0x00EB,
    CmdApplyConfiguration = 0x5000,
    CmdPrepareConfiguration = 0x5001,
    CmdBeginMapWrite = 0x5002,
    CmdEndMapWrite = 0x5003,
};

// Status bytes of the replies that carry one.
enum TStatus : std::uint8_t {
    StatusOk = 0,
    StatusOutOfRange = 1,   // address, length or sector number outside what the unit has
    StatusRefused = 2,      // not allowed now (wrong mode, protected area, missing prepare/begin)
    StatusMalformed = 3,    // request data of the wrong length
};

constexpr int MaxMemoryPiece = 256;     // ReadFram, WriteFram, ReadFlash
constexpr int MaxFlashPiece = 4096;     // WriteFlash (both commands)

// Memory map.
constexpr std::uint32_t FramSize = 0x8000;
constexpr std::uint32_t FlashSize = 0x7D000;
constexpr std::uint32_t RootTableAddress = 0x5000;
constexpr std::uint32_t DeviceInfoAddress = 0x6000;     // flash, 32 bytes (factory data)
constexpr std::uint32_t FirmwareInfoAddress = 0x6020;   // flash, 8 bytes
constexpr std::uint32_t BootInfoAddress = 0x6040;       // flash, 8 bytes: the boot loader's own firmware record
constexpr std::uint32_t GuidAddress = 0x6100;
constexpr std::uint32_t SerialAddress = 0x6110;
constexpr std::uint32_t RoFlashBase = 0x7000;
constexpr std::uint32_t RoFlashEnd = 0x7FFF;
constexpr std::uint32_t RwFlashBase = 0x8000;
constexpr std::uint32_t RwFlashEnd = 0xFFFF;
constexpr std::uint32_t ModelInfoAddress = 0x20000;
constexpr std::uint32_t FirmwareBase = 0x28000;
constexpr std::uint32_t FirmwareEnd = 0x7BFFF;          // sectors 12..25
constexpr std::uint32_t MapDirectoryAddress = 0x6000;   // FRAM
constexpr std::uint32_t MapAreaEnd = 0x67FF;
constexpr std::uint32_t FramTableAddress = 0x6800;      // FRAM
constexpr std::uint32_t FramStructEnd = 0x73FF;
constexpr std::uint32_t ErrorLogAddress = 0x7400;       // FRAM, 44 bytes
constexpr std::uint32_t RamPointerFlag = 0x80000000u;

constexpr int DeviceInfoSize = 32;
constexpr int FirmwareInfoSize = 8;
constexpr int ErrorLogSize = 44;
constexpr int ModelInfoSize = 22;

constexpr std::uint32_t KzdDeviceType = 6;
constexpr std::uint32_t BootloaderDeviceType = 4;
constexpr std::uint16_t KzdProductId = 0x0506;
constexpr std::uint16_t BootloaderProductId = 0x0503;
constexpr std::uint16_t FamilyVendorId = 0xF1A0;

} // namespace SimProtocol
