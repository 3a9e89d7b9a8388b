#include "platform/linux/x11/HotKeysFactory.h"

#include "platform/PlatformLog.h"
#include "platform/linux/x11/X11HotKeys.h"

#include <QGuiApplication>

std::unique_ptr<HotKeys> createHotKeys() {
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (auto hotKeys = X11HotKeys::create()) {
            qCInfo(lcPlatform, "hot keys: X11 key grabs%s",
                   hotKeys->hasDetectableAutoRepeat() ? "" : " (without detectable auto-repeat)");
            return hotKeys;
        }
    }
    qCInfo(lcPlatform, "hot keys: none on \"%s\"; global shortcuts need X11",
           qUtf8Printable(QGuiApplication::platformName()));
    return nullptr;
}
