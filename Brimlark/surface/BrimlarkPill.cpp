#include "BrimlarkPill.h"
