#include "NotchShape.h"
