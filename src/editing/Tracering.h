#pragma once
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
    double WeightAt(int column, int row) const;

private:
    std::vector<TTraceEntry> FEntries;
    int FPosition = 0;
};
