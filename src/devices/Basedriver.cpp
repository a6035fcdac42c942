#include "Basedriver.h"
