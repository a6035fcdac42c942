#include "Qcmapmode.h"

void TQCMapMode::Combine(int kind) {
    if (FMode == 0) {
        FMode = static_cast<std::uint8_t>(kind);
        return;
    }
    switch (kind) {
    case 2:
        if (FMode == 1)
            FMode = 2;
        else if (FMode == 3)
            FMode = 4;
        break;
    case 3:
        if (FMode == 1)
            FMode = 3;
        else if (FMode == 2)
            FMode = 4;
        break;
    case 4:
        FMode = 4;
        break;
    default:
        break;
    }
}
