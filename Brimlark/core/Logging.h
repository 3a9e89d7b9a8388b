#pragma once

#include <QLoggingCategory>
#include <QString>

// The program's log categories, "com.brimlark.app.<area>". Errors go to qCCritical, info to
// qCInfo, debug to qCDebug; messages keep the forms "notes save failed: %s".
Q_DECLARE_LOGGING_CATEGORY(lcApp)
Q_DECLARE_LOGGING_CATEGORY(lcInteraction)
Q_DECLARE_LOGGING_CATEGORY(lcServices)
Q_DECLARE_LOGGING_CATEGORY(lcMedia)
Q_DECLARE_LOGGING_CATEGORY(lcHooks)
Q_DECLARE_LOGGING_CATEGORY(lcPermissions)

// The identifier the logs and the support folder are named after.
QString bundleIdentifier();
