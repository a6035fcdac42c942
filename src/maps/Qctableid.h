#pragma once
#include <array>
#include <cstdint>

// Which table a table is: type, cylinders, gears, axis ids, position and module.
class TQCTableID {
public:
    std::uint8_t FTableType = 0;
    std::array<std::uint8_t, 4> FCylinders{};
    std::array<std::uint8_t, 6> FGears{};
    std::int32_t FXAxisId = -1;  // -1: no X axis
    std::int32_t FYAxisId = -1;  // -1: no Y axis
    std::int32_t FPosition = 0;
    std::uint8_t FModuleType = 0;

    // Indices outside 0..3 (cylinders) and 0..5 (gears) read 0 and are ignored on write.
    std::uint8_t GetCylinder(int i) const { return i >= 0 && i < 4 ? FCylinders[static_cast<std::size_t>(i)] : 0; }
    void SetCylinder(int i, std::uint8_t flag) {
        if (i >= 0 && i < 4)
            FCylinders[static_cast<std::size_t>(i)] = flag;
    }
    std::uint8_t GetGear(int i) const { return i >= 0 && i < 6 ? FGears[static_cast<std::size_t>(i)] : 0; }
    void SetGear(int i, std::uint8_t flag) {
        if (i >= 0 && i < 6)
            FGears[static_cast<std::size_t>(i)] = flag;
    }

    // Same position, type, axis ids (and module when checkModule), and the
    // same cylinder and gear flags (set or clear alike).
    bool Matches(const TQCTableID& other, bool checkModule) const;
    // The same equalities, and every cylinder and gear of other is also in this one.
    bool Covers(const TQCTableID& other, bool checkModule) const;

private:
    bool SameSlot(const TQCTableID& other, bool checkModule) const;
};
