#pragma once
#include "Qc7usbbase.h"

// A controller of the QC7 family reached over USB (also its boot loader and
// tester); behaves exactly as TQC7USBBase.
class TQC7USB : public TQC7USBBase {
public:
    using TQC7USBBase::TQC7USBBase;
};
