#include "Brimlark/core/Logging.h"

Q_LOGGING_CATEGORY(lcApp, "com.brimlark.app.app")
Q_LOGGING_CATEGORY(lcInteraction, "com.brimlark.app.interaction")
Q_LOGGING_CATEGORY(lcServices, "com.brimlark.app.services")
Q_LOGGING_CATEGORY(lcMedia, "com.brimlark.app.media")
Q_LOGGING_CATEGORY(lcHooks, "com.brimlark.app.hooks")
Q_LOGGING_CATEGORY(lcPermissions, "com.brimlark.app.permissions")

QString bundleIdentifier() {
    return QStringLiteral("com.brimlark.app");
}
