#include "Qksitem.h"

int ValueTypeWidth(std::uint8_t valueType) {
    switch (valueType) {
    case KValueU8:
    case KValueS8: return 1;
    case KValueU16:
    case KValueS16: return 2;
    case KValueU32:
    case KValueS32: return 4;
    default: return 0;
    }
}

bool ValueTypeSigned(std::uint8_t valueType) {
    return valueType == KValueS8 || valueType == KValueS16 || valueType == KValueS32;
}

const char* ValueTypeName(std::uint8_t valueType) {
    static const char* const names[] = {"u8", "s8", "u16", "s16", "u32", "s32"};
    return valueType < 6 ? names[valueType] : "?";
}
