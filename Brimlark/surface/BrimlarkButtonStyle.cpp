#include "BrimlarkButtonStyle.h"
