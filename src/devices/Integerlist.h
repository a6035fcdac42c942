#pragma once
#include <algorithm>
#include <cstdint>
#include <vector>

// A plain list of 32-bit integers; not guarded, used by one thread at a time.
class TIntegerList {
public:
    // Returns the index of value, appending it when it is not present.
    int AddUnique(std::int32_t value) {
        const int found = IndexOf(value);
        if (found >= 0)
            return found;
        FItems.push_back(value);
        return static_cast<int>(FItems.size()) - 1;
    }
    int IndexOf(std::int32_t value) const {
        auto it = std::find(FItems.begin(), FItems.end(), value);
        return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
    }
    // The value at index; 0 out of range.
    std::int32_t Get(int index) const {
        return index >= 0 && index < Count() ? FItems[static_cast<std::size_t>(index)] : 0;
    }
    int Count() const { return static_cast<int>(FItems.size()); }
    void Clear() { FItems.clear(); }
    const std::vector<std::int32_t>& Items() const { return FItems; }

private:
    std::vector<std::int32_t> FItems;
};
