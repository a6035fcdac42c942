#pragma once
#include <cstdint>
#include <vector>

// Live channels of a KZD unit as the channel request (0x0005) returns them:
// one value per requested identifier, back to back, each 1, 2 or 4 bytes
// wide by its type. Identifiers the unit does not know add no bytes.

// Width in bytes of a channel of a KZD unit, 0 when the unit has no such channel.
int SimChannelWidth(std::uint8_t channelId);

// The raw value of a channel at a moment (milliseconds since power-up): an
// engine idling with a slow throttle wobble; steady enough to check.
std::int64_t SimChannelValue(std::uint8_t channelId, std::int64_t uptimeMs);

// Encodes the reply of a channel request.
std::vector<std::uint8_t> SimChannelReply(const std::vector<std::uint8_t>& ids, std::int64_t uptimeMs);
