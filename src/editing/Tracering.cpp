#include "Tracering.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {
using u128 = unsigned __int128;

int BitLength(u128 v) {
    int bits = 0;
    while (v) {
        v >>= 1;
        ++bits;
    }
    return bits;
}

// Rounds v to 64 significant bits (to nearest, ties to even); adds the bits
// dropped to exponent.
std::uint64_t RoundTo64(u128 v, int& exponent) {
    const int shift = BitLength(v) - 64;
    if (shift <= 0)
        return std::uint64_t(v);
    const u128 half = u128(1) << (shift - 1);
    const u128 rest = v & ((u128(1) << shift) - 1);
    u128 kept = v >> shift;
    if (rest > half || (rest == half && (kept & 1)))
        ++kept;
    exponent += shift;
    if (BitLength(kept) > 64) {
        kept >>= 1;
        ++exponent;
    }
    return std::uint64_t(kept);
}

// 0.001 with a 64-bit mantissa: round(2^73 / 1000) x 2^-73.
constexpr std::uint64_t KMilliMantissa = 9444732965739290427ULL;
constexpr int KMilliExponent = -73;
}  // namespace

int TraceCount(int durationMs, int rateMs) {
    durationMs = std::clamp(durationMs, 0, 20000);
    if (rateMs <= 0)
        return 0;
    if (durationMs == 0)
        return 1;
    int exponent = KMilliExponent;
    const std::uint64_t seconds = RoundTo64(u128(std::uint64_t(durationMs)) * KMilliMantissa, exponent);
    int power = 0;
    const double fraction = std::frexp(1000.0 / rateMs, &power);
    const auto rateMantissa = std::uint64_t(std::ldexp(fraction, 53));
    exponent += power - 53;
    const std::uint64_t product = RoundTo64(u128(seconds) * rateMantissa, exponent);
    if (exponent >= 0)
        return exponent > 20 ? 1 << 30 : int(std::min<u128>(u128(product) << exponent, u128(1) << 30));
    return exponent <= -64 ? 0 : int(product >> -exponent);
}

void TTraceRing::Resize(int count) {
    count = std::max(count, 0);
    if (count == Count())
        return;
    FEntries.assign(std::size_t(count), TTraceEntry{});
    FPosition = 0;
    FNewest.clear();
}

void TTraceRing::Add(int column, int row) {
    const int count = Count();
    if (count == 0)
        return;
    FPosition = (FPosition + 1) % count;
    FEntries[std::size_t(FPosition)].Column = column;
    FEntries[std::size_t(FPosition)].Row = row;
    if (FNewest.size() > 4 * FEntries.size())
        std::erase_if(FNewest, [this](const auto& item) {
            const TTraceEntry& entry = FEntries[std::size_t(item.second)];
            return Key(entry.Column, entry.Row) != item.first;
        });
    FNewest[Key(column, row)] = FPosition;
    for (int i = 0; i < count; ++i) {
        const int age = i == FPosition ? count : (i > FPosition ? i - FPosition : count + i - FPosition);
        FEntries[std::size_t(i)].Weight = double(age) / count;
    }
}

double TTraceRing::WeightAt(int column, int row) const {
    const auto found = FNewest.find(Key(column, row));
    if (found == FNewest.end())
        return -1;
    const TTraceEntry& entry = FEntries[std::size_t(found->second)];
    if (entry.Column != column || entry.Row != row)
        return -1;
    return std::min(entry.Weight, 1.0);
}
