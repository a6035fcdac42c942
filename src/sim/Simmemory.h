#pragma once
#include <cstdint>
#include <vector>

// The two address spaces of a simulated unit: non-volatile RAM (FRAM) and
// program flash. Every access is bounds-checked; flash programming behaves
// like NOR flash (a write can only clear bits, an erase sets a whole sector
// to 0xFF). Not thread-safe: the owning unit serialises access.
class TSimMemory {
public:
    TSimMemory();

    std::vector<std::uint8_t>& Fram() { return FFram; }
    std::vector<std::uint8_t>& Flash() { return FFlash; }
    const std::vector<std::uint8_t>& Fram() const { return FFram; }
    const std::vector<std::uint8_t>& Flash() const { return FFlash; }

    // Reads and plain writes; false (and nothing touched) when any byte of
    // [address, address + length) lies outside the space.
    bool ReadFram(std::uint32_t address, std::uint8_t* out, std::size_t length) const;
    bool WriteFram(std::uint32_t address, const std::uint8_t* data, std::size_t length);
    bool ReadFlash(std::uint32_t address, std::uint8_t* out, std::size_t length) const;
    // Overwrites flash bytes as a factory programmer would (no erase needed).
    bool StoreFlash(std::uint32_t address, const std::uint8_t* data, std::size_t length);
    // Programs flash: each byte becomes old AND new, as on NOR flash.
    bool ProgramFlash(std::uint32_t address, const std::uint8_t* data, std::size_t length);

    // Sector layout: sectors 0..7 of 4 KB from 0, 8..21 of 32 KB from 0x8000,
    // 22..26 of 4 KB from 0x78000.
    static constexpr int SectorCount = 27;
    static bool SectorRange(int sector, std::uint32_t& start, std::uint32_t& size);
    bool EraseSector(int sector);

    std::uint32_t FramWord(std::uint32_t address) const;   // 0 outside the space
    std::uint32_t FlashWord(std::uint32_t address) const;

private:
    static bool InRange(std::size_t spaceSize, std::uint32_t address, std::size_t length);
    std::vector<std::uint8_t> FFram;
    std::vector<std::uint8_t> FFlash;
};

// Little-endian helpers over byte buffers.
std::uint32_t SimGet32(const std::uint8_t* p);
std::uint16_t SimGet16(const std::uint8_t* p);
void SimPut32(std::uint8_t* p, std::uint32_t v);
void SimPut16(std::uint8_t* p, std::uint16_t v);
