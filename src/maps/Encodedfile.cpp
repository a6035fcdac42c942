#include "Encodedfile.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

void TDataEncoder::SetKey(std::uint32_t low, std::uint32_t high) {
    const std::uint64_t key = (static_cast<std::uint64_t>(high) << 32) | low;
    if (key == FKey)
        return;
    FKey = key;
    BuildTable();
}

void TDataEncoder::BuildTable() {
    FRandom.Seed(static_cast<std::uint32_t>(FKey));
    for (std::size_t i = 0; i < 256; ++i) {
        const std::uint64_t r1 = FRandom.Next();
        const std::uint64_t r2 = FRandom.Next();
        // Unsigned arithmetic wraps where the signed product could overflow;
        // the low byte is the same as in two's complement.
        std::uint8_t t = static_cast<std::uint8_t>(r1 * FKey + r2 + 21u);
        while (t == 0)
            t = static_cast<std::uint8_t>(FRandom.Next() + 115u);
        FState[1 + i] = t;
    }
    std::uint8_t index = 0;
    for (int b = 0; b < 8; ++b)
        index = static_cast<std::uint8_t>(index + ((FSeed >> (8 * b)) & 0xFF));
    index = static_cast<std::uint8_t>(index + FState[1 + index]);
    FState[0] = index;
    FRandom.Seed(static_cast<std::uint32_t>(FSeed));
}

void TDataEncoder::Decode(std::uint8_t* buffer, std::size_t count) {
    std::uint8_t index = FState[0];
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t t = FState[1 + index];
        const std::uint8_t b = static_cast<std::uint8_t>(buffer[i] + t);
        buffer[i] = b;
        const std::uint32_t r = FRandom.Next();
        index = static_cast<std::uint8_t>(index + t + b + (r & 0xFF));
    }
    FState[0] = index;
}

TEncodedFile::TEncodedFile(const std::string& fileName) {
    FFile = std::fopen(fileName.c_str(), "rb");
    if (!FFile)
        return;
    if (std::fseek(FFile, 0, SEEK_END) == 0) {
        const long end = std::ftell(FFile);
        FSize = end > 0 ? end : 0;
    }
    std::fseek(FFile, 0, SEEK_SET);
}

TEncodedFile::TEncodedFile(std::vector<std::uint8_t> bytes)
    : FInMemory(true), FBytes(std::move(bytes)), FSize(static_cast<std::int64_t>(FBytes.size())) {}

TEncodedFile::~TEncodedFile() {
    if (FFile)
        std::fclose(FFile);
}

std::size_t TEncodedFile::Read(void* buffer, std::size_t count) {
    if (!IsOpen() || count == 0 || FPosition >= FSize)
        return 0;
    const std::size_t available = static_cast<std::size_t>(FSize - FPosition);
    const std::size_t wanted = std::min(count, available);
    std::size_t got = 0;
    if (FInMemory) {
        std::memcpy(buffer, FBytes.data() + FPosition, wanted);
        got = wanted;
    } else if (std::fseek(FFile, static_cast<long>(FPosition), SEEK_SET) == 0) {
        got = std::fread(buffer, 1, wanted, FFile);
    }
    FPosition += static_cast<std::int64_t>(got);
    return got;
}

std::int64_t TEncodedFile::Seek(std::int64_t offset, TSeekOrigin origin) {
    std::int64_t base = 0;
    if (origin == soCurrent)
        base = FPosition;
    else if (origin == soEnd)
        base = FSize;
    if (offset < -base || offset > INT64_MAX - base)
        return -1;
    FPosition = base + offset;
    return FPosition;
}

std::size_t TEncodedFile::ReadDecoded(void* buffer, std::size_t count) {
    const std::size_t got = Read(buffer, count);
    if (got == count)
        FEncoder.Decode(static_cast<std::uint8_t*>(buffer), count);
    return got;
}
