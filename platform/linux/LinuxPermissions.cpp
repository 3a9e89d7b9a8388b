#include "platform/linux/LinuxPermissions.h"

#include "platform/ContextCallback.h"
#include "platform/PlatformLog.h"

PermissionStatus LinuxPermissions::captureStatus(CaptureDevice) const {
    return PermissionStatus::authorized;
}

void LinuxPermissions::requestCaptureAccess(CaptureDevice, const QObject* context,
                                            std::function<void(bool granted)> done) {
    ContextCallback<void(bool)>(context, std::move(done))(true);
}

bool LinuxPermissions::openSettingsPage(const QString& address) {
    qCDebug(lcPlatform, "settings page not available on Linux: %s", qUtf8Printable(address));
    return false;
}
