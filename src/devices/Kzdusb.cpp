#include "Kzdusb.h"
