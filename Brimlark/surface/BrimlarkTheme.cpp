#include "BrimlarkTheme.h"
