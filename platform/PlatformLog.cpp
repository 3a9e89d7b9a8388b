#include "platform/PlatformLog.h"

Q_LOGGING_CATEGORY(lcPlatform, "com.brimlark.app.platform")
