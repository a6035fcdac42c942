#include "Qctableid.h"

bool TQCTableID::SameSlot(const TQCTableID& other, bool checkModule) const {
    return FPosition == other.FPosition && FTableType == other.FTableType && FXAxisId == other.FXAxisId &&
           FYAxisId == other.FYAxisId && (!checkModule || FModuleType == other.FModuleType);
}

bool TQCTableID::Matches(const TQCTableID& other, bool checkModule) const {
    if (!SameSlot(other, checkModule))
        return false;
    for (int i = 0; i < 4; ++i)
        if ((GetCylinder(i) != 0) != (other.GetCylinder(i) != 0))
            return false;
    for (int i = 0; i < 6; ++i)
        if ((GetGear(i) != 0) != (other.GetGear(i) != 0))
            return false;
    return true;
}

bool TQCTableID::Covers(const TQCTableID& other, bool checkModule) const {
    if (!SameSlot(other, checkModule))
        return false;
    for (int i = 0; i < 4; ++i)
        if (other.GetCylinder(i) && !GetCylinder(i))
            return false;
    for (int i = 0; i < 6; ++i)
        if (other.GetGear(i) && !GetGear(i))
            return false;
    return true;
}
