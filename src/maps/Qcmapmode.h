#pragma once
#include <cstdint>

// The mode of a set of tables: 0 nothing seen, 1 common, 2 per cylinder,
// 3 per gear, 4 per cylinder and per gear.
class TQCMapMode {
public:
    std::uint8_t FMode = 0;
    // Folds one table kind (1..4) into the mode.
    void Combine(int kind);
};
