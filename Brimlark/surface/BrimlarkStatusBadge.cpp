#include "BrimlarkStatusBadge.h"
