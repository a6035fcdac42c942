#pragma once
#include <chrono>
#include <string>

// The monotonic clock behind every deadline and stopwatch of the program, so
// that a wait spanning midnight or a change of the system time neither ends
// early nor hangs.
using TMonotonicClock = std::chrono::steady_clock;

// A deadline for waits on a device: Expired is true once the elapsed time is
// strictly greater than the duration. Used by one thread at a time.
class TTimeout {
public:
    explicit TTimeout(int durationMs) { Restart(durationMs); }
    void Restart(int durationMs) {
        FDurationMs = durationMs;
        FStart = TMonotonicClock::now();
    }
    bool Expired() const { return TMonotonicClock::now() - FStart > std::chrono::milliseconds(FDurationMs); }
    // The instant at which the deadline passes (for blocking waits).
    TMonotonicClock::time_point Deadline() const { return FStart + std::chrono::milliseconds(FDurationMs); }
    int DurationMs() const { return FDurationMs; }

private:
    TMonotonicClock::time_point FStart;
    int FDurationMs = 0;
};

// A stopwatch; Text gives the elapsed seconds as "[12.345]", the prefix of
// every update log line.
class TTimerStat {
public:
    TTimerStat() { Restart(); }
    void Restart() { FStart = TMonotonicClock::now(); }
    double ElapsedMs() const {
        return std::chrono::duration<double, std::milli>(TMonotonicClock::now() - FStart).count();
    }
    std::string Text() const { return FormatSeconds(ElapsedMs()); }
    // "[" + ms / 1000 formatted "0.000" + "]".
    static std::string FormatSeconds(double elapsedMs);

private:
    TMonotonicClock::time_point FStart;
};
