#pragma once
#include <cstdint>
#include <vector>

// One message of the USB message layer in memory: the same record for
// requests and replies, and the unit that the message rings carry.
struct TUSBMessage {
    static constexpr int KMaxData = 5120;
    // Bytes of one record in a ring: tag, command, total length, data, data
    // length, little-endian, in that order.
    static constexpr int KRecordSize = 4 + 2 + 2 + KMaxData + 4;

    std::uint32_t Tag = 0;
    std::uint16_t Command = 0;
    std::uint16_t TotalLength = 0;  // DataLength + 4; filled in by Send
    std::uint8_t Data[KMaxData] = {};
    std::int32_t DataLength = 0;

    // Writes the record layout into out (KRecordSize bytes).
    void Pack(std::uint8_t* out) const;
    // Reads a record; a stored data length outside 0..5120 is clamped.
    void Unpack(const std::uint8_t* in);
    // Sets command and data (at most KMaxData bytes; false when longer).
    bool Set(std::uint16_t command, const std::uint8_t* data, int length);
};

// Little-endian field helpers for messages and device records.
inline std::uint32_t GetLE32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}
inline std::uint16_t GetLE16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
inline void PutLE32(std::uint8_t* p, std::uint32_t v) {
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
    p[2] = std::uint8_t(v >> 16);
    p[3] = std::uint8_t(v >> 24);
}
inline void PutLE16(std::uint8_t* p, std::uint16_t v) {
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
}
