#include "Qc7.h"

namespace {

constexpr int KSizes[] = {
    24, 20, 20, 68, 44,             // root, RO flash, RW flash, RAM configuration, feature tables
    23, 64, 37, 20,                 // System, ADC, DAC, RO block 4
    24, 104, 93, 8,                 // Device, Channel, VR, RW block 4
    52, 95, 14, 50, 100, 9, 15, 71, // TPS .. O2
    41, 70, 23, 745, 42, 16, 25,    // Trim Pot .. Global Trim
    9, 36, 18, 45, 41, 10, 46,      // Map Switch .. Auto Tune
    33, 49,                         // feature blocks 9 and 10
};
static_assert(sizeof KSizes / sizeof KSizes[0] == static_cast<int>(TQC7Struct::Count));

}  // namespace

int QC7StructSize(TQC7Struct which) {
    const int i = static_cast<int>(which);
    return i >= 0 && i < static_cast<int>(TQC7Struct::Count) ? KSizes[i] : 0;
}

bool QC7StructWritable(TQC7Struct which) {
    return which == TQC7Struct::FeatureTable ||
           (which >= TQC7Struct::TPS && which < TQC7Struct::Count);
}
