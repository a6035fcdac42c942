#pragma once
#include <cstdint>
#include <unordered_map>
#include <vector>

// The number of trace entries that cover durationMs at one update every
// rateMs: 0 for a rate of 0, 1 for a duration of 0, otherwise the integer
// part of (duration x 0.001) x (1000 / rate) computed with 64-bit mantissas
// as the cell trace always has (so 1000 ms at 50 ms gives 19, 10000 ms 200).
// The duration is limited to 0..20000 ms and a negative rate counts as 0.
int TraceCount(int durationMs, int rateMs);

// One traced cell: how strongly it is drawn (1 newest, 1/count oldest).
struct TTraceEntry {
    double Weight = 0;
    int Row = -1;
    int Column = -1;
};

// The ring of the most recent traced cells, newest at Position().
class TTraceRing {
public:
    int Count() const { return int(FEntries.size()); }
    int Position() const { return FPosition; }
    const TTraceEntry& Entry(int i) const { return FEntries[std::size_t(i)]; }
    // Replaces the ring by count fresh entries when count differs.
    void Resize(int count);
    // Advances to the next entry, gives it the cell, and ages the others.
    // Nothing while the ring is empty.
    void Add(int column, int row);
    // The weight of the newest entry at that cell, or a negative value.
    // Constant time: the ring remembers the newest entry of every cell.
    double WeightAt(int column, int row) const;

private:
    static std::int64_t Key(int column, int row) { return (std::int64_t(column) << 32) ^ std::uint32_t(row); }

    std::vector<TTraceEntry> FEntries;
    int FPosition = 0;
    // Cell -> index of its newest entry; an index whose entry now holds
    // another cell means the cell left the ring (older entries went first).
    std::unordered_map<std::int64_t, int> FNewest;
};
