#include "Swsetup.h"

TSWSetup* SWSetup = nullptr;

QColor ToQColor(TColorValue value) {
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}
