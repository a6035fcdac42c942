#pragma once
#include "Qc7usbbase.h"

// A KZD unit reached over USB; behaves exactly as TQC7USBBase.
class TKZDUSB : public TQC7USBBase {
public:
    using TQC7USBBase::TQC7USBBase;
};
