#include "Brimlark/quickactions/QuickActionLook.h"

#include "Brimlark/kit/BrimlarkTheme.h"

namespace QuickActionLook {

using Kind = QuickAction::Kind;

QString title(Kind kind) {
    switch (kind) {
    case Kind::muteMic:
        return QStringLiteral("mute mic");
    case Kind::dnd:
        return QStringLiteral("notifications");
    case Kind::timer:
        return QStringLiteral("timer");
    case Kind::calculator:
        return QStringLiteral("calculator");
    case Kind::googleSearch:
        return QStringLiteral("google search");
    case Kind::mirror:
        return QStringLiteral("mirror");
    case Kind::appLauncher:
        return QStringLiteral("apps");
    case Kind::focus:
        return QStringLiteral("focus");
    }
    return QString();
}

QString buttonName(Kind kind) {
    if (kind == Kind::dnd)
        return QStringLiteral("mute notifications");
    return title(kind);
}

QString stateText(Kind kind, bool active) {
    if (kind == Kind::dnd && active)
        return QStringLiteral("Brimlark's notifications are muted");
    return buttonName(kind);
}

QString symbol(Kind kind, bool active) {
    switch (kind) {
    case Kind::muteMic:
        return QStringLiteral("mic.slash.fill");
    case Kind::dnd:
        return QStringLiteral("bell.slash.fill");
    case Kind::timer:
        return QStringLiteral("timer");
    case Kind::calculator:
        return QStringLiteral("plus.forwardslash.minus");
    case Kind::googleSearch:
        return QStringLiteral("magnifyingglass");
    case Kind::mirror:
        return active ? QStringLiteral("person.crop.rectangle.fill")
                      : QStringLiteral("person.crop.rectangle");
    case Kind::appLauncher:
        return QStringLiteral("square.grid.2x2.fill");
    case Kind::focus:
        return QStringLiteral("moon.stars.fill");
    }
    return QString();
}

QColor color(Kind kind) {
    switch (kind) {
    case Kind::muteMic:
    case Kind::timer:
    case Kind::calculator:
    case Kind::appLauncher:
        return BrimlarkTheme::warning();
    case Kind::dnd:
    case Kind::googleSearch:
    case Kind::mirror:
    case Kind::focus:
        return BrimlarkTheme::accent();
    }
    return BrimlarkTheme::accent();
}

} // namespace QuickActionLook
