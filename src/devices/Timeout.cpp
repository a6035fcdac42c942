#include "Timeout.h"

#include <cmath>
#include <cstdio>

std::string TTimerStat::FormatSeconds(double elapsedMs) {
    // Whole milliseconds, so that 12345 ms reads [12.345] with no rounding up.
    const long long ms = static_cast<long long>(std::floor(elapsedMs < 0 ? 0 : elapsedMs));
    char text[48];
    std::snprintf(text, sizeof text, "[%lld.%03lld]", ms / 1000, ms % 1000);
    return text;
}
