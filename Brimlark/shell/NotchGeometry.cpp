#include "NotchGeometry.h"
