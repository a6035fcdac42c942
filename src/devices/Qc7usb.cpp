#include "Qc7usb.h"
