#pragma once

#include <QLoggingCategory>

// The platform layer's own log category, "com.brimlark.app.platform".
Q_DECLARE_LOGGING_CATEGORY(lcPlatform)
