#pragma once
#include <cstdint>
#include <string>
#include <vector>

class TSimMemory;

// The factory state of a KZD unit: identity records (device and firmware
// information, GUID, serial number, model information), the table tree
// (root table, read-only and read-write flash tables, FRAM configuration
// and feature tables) with every configuration structure at a valid address
// and with plausible contents, an error log with three entries, a firmware
// image and the factory map.

struct TSimIdentity {
    std::uint32_t HardwareVersion = 3;
    std::uint32_t BootloaderVersion = 0x01000200;   // 1.0.2.0
    std::uint32_t FirmwareVersion = 0x00010412;     // 0.1.4.18 = 66578
    std::string SerialNumber;                        // 16 characters
    std::string ModelNumber = "KZD-2F-V2";
    std::uint16_t MapType = 4660;
    std::uint32_t Guid[4] = {0x6B5A4431, 0x0C1E4F07, 0x9A3D2E11, 0};
};

// The identity of unit number n (1, 2, ...): serial number and GUID differ.
TSimIdentity SimFactoryIdentity(int unitNumber);

// Resets both images to the factory state of that identity.
void SimBuildFactoryImages(TSimMemory& memory, const TSimIdentity& identity);

// Writes an error log (count word and up to five (code word, value) pairs).
void SimWriteErrorLog(TSimMemory& memory, std::uint32_t count,
                      const std::vector<std::pair<std::uint32_t, std::int32_t>>& entries);

// Builds a firmware image of the given size as the factory programs it
// (a recognisable header word, then pseudo-random code bytes).
std::vector<std::uint8_t> SimFactoryFirmware(std::size_t size);
