#include "Qcheader.h"

TQCHeader::TQCHeader(const TQCHeader& source) : TQCMapObj(source), FRecord(source.FRecord) {}

std::int32_t TQCHeader::AddressOf(int word) const {
    const std::size_t at = 4 + 4 * static_cast<std::size_t>(word);
    const std::uint32_t value = static_cast<std::uint32_t>(FRecord[at]) | (static_cast<std::uint32_t>(FRecord[at + 1]) << 8) |
                                (static_cast<std::uint32_t>(FRecord[at + 2]) << 16) |
                                (static_cast<std::uint32_t>(FRecord[at + 3]) << 24);
    return static_cast<std::int32_t>(value & 0x7FFFFFFFu);
}

void TQCHeader::SetAddressOf(int word, std::int32_t address) {
    const std::size_t at = 4 + 4 * static_cast<std::size_t>(word);
    const std::uint32_t value = static_cast<std::uint32_t>(address) | 0x80000000u;
    for (std::size_t i = 0; i < 4; ++i)
        FRecord[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}
