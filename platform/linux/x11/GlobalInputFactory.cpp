#include "platform/linux/x11/GlobalInputFactory.h"

#include "platform/PlatformLog.h"
#include "platform/linux/x11/PolledGlobalInput.h"
#include "platform/linux/x11/X11GlobalInput.h"

#include <QGuiApplication>

std::unique_ptr<GlobalInput> createGlobalInput() {
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (auto input = X11GlobalInput::create()) {
            // XWayland sees no input over native Wayland windows; focus loss fills that gap.
            const bool xwayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
                                  qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland");
            input->setReportsDeactivation(xwayland);
            qCInfo(lcPlatform, "global input: XInput %d.%d raw events%s", input->xiMajorVersion(),
                   input->xiMinorVersion(), xwayland ? " and focus loss (XWayland)" : "");
            return input;
        }
    }
    qCInfo(lcPlatform, "global input: polling the pointer on \"%s\" (no XInput 2)",
           qUtf8Printable(QGuiApplication::platformName()));
    return std::make_unique<PolledGlobalInput>();
}
