#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// Message framing on the device side of the link: requests are put together
// from 65-byte output reports of the host, replies are cut into 65-byte
// input reports carrying the unit's own tags.

using TSimReport = std::array<std::uint8_t, 65>;

struct TSimMessage {
    std::uint16_t Command = 0;
    std::vector<std::uint8_t> Data;
    std::uint32_t Tag = 0;
};

// Rebuilds request messages from reports. A report whose tag differs from
// the message being built starts a new message (the old one is dropped); a
// header announcing a total length below 4 or above 4 + maxData is dropped.
class TSimAssembler {
public:
    explicit TSimAssembler(int maxData);
    // Feeds one 65-byte report; returns the message it completes, if any.
    std::optional<TSimMessage> Feed(const TSimReport& report);
    void Reset() { FPartial.reset(); }
    int DroppedMessages() const { return FDropped; }

private:
    struct TPartial {
        TSimMessage Message;
        std::size_t Expected = 0;
    };
    int FMaxData;
    std::optional<TPartial> FPartial;
    int FDropped = 0;
};

// The unit's tags: two pseudo-random 15-bit values, never the same tag twice
// in a row.
class TSimTagSource {
public:
    explicit TSimTagSource(std::uint32_t seed);
    std::uint32_t Next();

private:
    std::uint32_t Random15();
    std::uint32_t FState;
    std::uint32_t FLast = 0;
};

// Cuts a message (command, data) into reports carrying tag: command and
// total length (data length + 4) first, 60 stream bytes per report, zeros
// after the end. totalLengthField, when set, is written in place of the real
// total length (for corrupted replies).
std::vector<TSimReport> SimCutMessage(std::uint16_t command, const std::vector<std::uint8_t>& data,
                                      std::uint32_t tag,
                                      std::optional<std::uint16_t> totalLengthField = std::nullopt);
