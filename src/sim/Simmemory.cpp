#include "Simmemory.h"
#include "Simprotocol.h"

#include <algorithm>
#include <cstring>

using namespace SimProtocol;

TSimMemory::TSimMemory() : FFram(FramSize, 0), FFlash(FlashSize, 0xFF) {}

bool TSimMemory::InRange(std::size_t spaceSize, std::uint32_t address, std::size_t length) {
    return address <= spaceSize && length <= spaceSize - address;
}

bool TSimMemory::ReadFram(std::uint32_t address, std::uint8_t* out, std::size_t length) const {
    if (!InRange(FFram.size(), address, length)) return false;
    if (length) std::memcpy(out, FFram.data() + address, length);
    return true;
}

bool TSimMemory::WriteFram(std::uint32_t address, const std::uint8_t* data, std::size_t length) {
    if (!InRange(FFram.size(), address, length)) return false;
    if (length) std::memcpy(FFram.data() + address, data, length);
    return true;
}

bool TSimMemory::ReadFlash(std::uint32_t address, std::uint8_t* out, std::size_t length) const {
    if (!InRange(FFlash.size(), address, length)) return false;
    if (length) std::memcpy(out, FFlash.data() + address, length);
    return true;
}

bool TSimMemory::StoreFlash(std::uint32_t address, const std::uint8_t* data, std::size_t length) {
    if (!InRange(FFlash.size(), address, length)) return false;
    if (length) std::memcpy(FFlash.data() + address, data, length);
    return true;
}

bool TSimMemory::ProgramFlash(std::uint32_t address, const std::uint8_t* data, std::size_t length) {
    if (!InRange(FFlash.size(), address, length)) return false;
    for (std::size_t i = 0; i < length; ++i) FFlash[address + i] &= data[i];
    return true;
}

bool TSimMemory::SectorRange(int sector, std::uint32_t& start, std::uint32_t& size) {
    if (sector < 0 || sector >= SectorCount) return false;
    if (sector < 8) {
        start = 0x1000u * sector;
        size = 0x1000;
    } else if (sector < 22) {
        start = 0x8000u + 0x8000u * (sector - 8);
        size = 0x8000;
    } else {
        start = 0x78000u + 0x1000u * (sector - 22);
        size = 0x1000;
    }
    return true;
}

bool TSimMemory::EraseSector(int sector) {
    std::uint32_t start = 0, size = 0;
    if (!SectorRange(sector, start, size)) return false;
    std::fill(FFlash.begin() + start, FFlash.begin() + start + size, 0xFF);
    return true;
}

std::uint32_t TSimMemory::FramWord(std::uint32_t address) const {
    std::uint8_t b[4];
    return ReadFram(address, b, 4) ? SimGet32(b) : 0;
}

std::uint32_t TSimMemory::FlashWord(std::uint32_t address) const {
    std::uint8_t b[4];
    return ReadFlash(address, b, 4) ? SimGet32(b) : 0;
}

std::uint32_t SimGet32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

std::uint16_t SimGet16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }

void SimPut32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = std::uint8_t(v >> (8 * i));
}

void SimPut16(std::uint8_t* p, std::uint16_t v) {
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
}
