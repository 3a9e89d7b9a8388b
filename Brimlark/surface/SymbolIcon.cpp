#include "SymbolIcon.h"
