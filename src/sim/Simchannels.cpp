#include "Simchannels.h"

#include <cmath>

namespace {

int OutputBlockWidth(int offset) {
    switch (offset) {
    case 0: case 3: case 4: case 10: case 11: return 2;
    case 1: case 2: case 7: case 8: case 9: case 12: case 14: case 15: return 4;
    default: return 0;   // 5, 6 and 13 are not used
    }
}

} // namespace

int SimChannelWidth(std::uint8_t id) {
    if (id >= 1 && id <= 4) return 1;
    if (id >= 6 && id <= 9) return 4;
    if (id >= 13 && id <= 26) return 2;
    if (id >= 32 && id <= 95) return OutputBlockWidth((id - 32) % 16);
    if (id >= 230 && id <= 247) return id == 238 ? 0 : 2;
    switch (id) {
    case 27: case 193: case 195: case 248: case 249: return 1;
    case 28: case 117: case 118: case 120: case 197: case 198: return 2;
    case 112: case 143: case 192: return 4;
    default: return 0;
    }
}

std::int64_t SimChannelValue(std::uint8_t id, std::int64_t uptimeMs) {
    const double t = double(uptimeMs) / 1000.0;
    const double tps = 2.0 + 0.5 * std::sin(t / 3.0);   // percent
    const int rpm = 1050 + int(20 * std::sin(t * 1.7));
    switch (id) {
    case 27: return 1;
    case 28: return rpm;
    case 32: case 48: return rpm;
    case 42: case 58: return 1800 + int(40 * tps);      // duty cycle out, 0.01 %
    case 112: return uptimeMs > 4000 ? uptimeMs - 4000 : 0;
    case 117: return 500 + int(tps * 40.5);             // mV
    case 118: return 410 + int(tps * 33.2);
    case 120: return 13800;
    case 143: return 0x17;                              // powered, engine running, tables active
    case 192: return uptimeMs;
    case 193: return 23;
    case 195: return 3;
    case 197: return int(tps * 10);
    case 232: case 233: return 450;
    case 241: case 243: case 245: return 2500;
    default: return 0;
    }
}

std::vector<std::uint8_t> SimChannelReply(const std::vector<std::uint8_t>& ids, std::int64_t uptimeMs) {
    std::vector<std::uint8_t> reply;
    for (std::uint8_t id : ids) {
        const int width = SimChannelWidth(id);
        const auto value = std::uint64_t(SimChannelValue(id, uptimeMs));
        for (int i = 0; i < width; ++i) reply.push_back(std::uint8_t(value >> (8 * i)));
    }
    return reply;
}
