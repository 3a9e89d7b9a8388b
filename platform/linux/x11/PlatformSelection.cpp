#include "platform/linux/x11/PlatformSelection.h"

#include "platform/PlatformLog.h"

#include <xcb/xcb.h>

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

QByteArray missingDisplayProblem(const EnvironmentLookup& environment, const DisplayProbe& canOpen) {
    const QByteArray platform = environment("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb"))
        return {};
    const QByteArray needs = QByteArrayLiteral("; Brimlark needs an X11 session or XWayland");
    const QByteArray display = environment("DISPLAY");
    if (display.isEmpty()) {
        if (!environment("WAYLAND_DISPLAY").isEmpty())
            return QByteArrayLiteral(
                       "Brimlark: this Wayland session offers no XWayland (DISPLAY is not set)") +
                   needs;
        return QByteArrayLiteral("Brimlark: no X display (DISPLAY is not set)") + needs;
    }
    if (!canOpen(display))
        return QByteArrayLiteral("Brimlark: cannot open the X display \"") + display +
               QByteArrayLiteral("\"") + needs;
    return {};
}

namespace {
// The connection that answered the display check, held until the application has its own.
xcb_connection_t* heldProbe = nullptr;
} // namespace

QByteArray missingDisplayProblemHere() {
    return missingDisplayProblem([](const char* name) { return qgetenv(name); },
                                 [](const QByteArray& display) {
                                     xcb_connection_t* connection = xcb_connect(display.constData(), nullptr);
                                     const bool ok = xcb_connection_has_error(connection) == 0;
                                     if (ok && !heldProbe)
                                         heldProbe = connection;
                                     else
                                         xcb_disconnect(connection);
                                     return ok;
                                 });
}

void releaseDisplayProbe() {
    if (heldProbe)
        xcb_disconnect(heldProbe);
    heldProbe = nullptr;
}
