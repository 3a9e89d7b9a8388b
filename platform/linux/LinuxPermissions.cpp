#include "platform/linux/LinuxPermissions.h"

#include "platform/PlatformLog.h"

PermissionStatus LinuxPermissions::captureStatus(CaptureDevice) const {
    return PermissionStatus::authorized;
}

void LinuxPermissions::requestCaptureAccess(CaptureDevice, std::function<void(bool granted)> done) {
    if (done)
        done(true);
}

bool LinuxPermissions::openSettingsPage(const QString& address) {
    qCDebug(lcPlatform, "settings page not available on Linux: %s", qUtf8Printable(address));
    return false;
}
