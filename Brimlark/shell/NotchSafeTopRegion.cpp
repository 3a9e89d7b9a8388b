#include "NotchSafeTopRegion.h"
