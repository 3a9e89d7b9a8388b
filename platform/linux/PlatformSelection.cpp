#include "platform/linux/PlatformSelection.h"

#include "platform/PlatformLog.h"

QByteArray qtPlatformToSelect(const EnvironmentLookup& environment) {
    if (!environment("QT_QPA_PLATFORM").isEmpty())
        return {};
    const bool wayland = !environment("WAYLAND_DISPLAY").isEmpty() ||
                         environment("XDG_SESSION_TYPE") == QByteArrayLiteral("wayland");
    if (!wayland || environment("DISPLAY").isEmpty())
        return {};
    return QByteArrayLiteral("xcb");
}

void selectQtPlatformBeforeApp() {
    const QByteArray platform = qtPlatformToSelect([](const char* name) { return qgetenv(name); });
    if (platform.isEmpty())
        return;
    qputenv("QT_QPA_PLATFORM", platform);
    qCInfo(lcPlatform, "Wayland session: using the %s platform through XWayland", platform.constData());
}
