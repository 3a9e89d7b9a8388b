#include "Brimlark/core/NotchGeometry.h"

#include <algorithm>

namespace {

// Used when the screen has no notch, or when its auxiliary areas leave no room to measure one.
constexpr double fallbackNotchWidth = 200;
constexpr double fallbackNotchHeight = 32;

bool hasNotch(const ScreenDescription& screen) {
    return screen.topSafeAreaInset > 0;
}

} // namespace

ScreenDescription notchScreen(const Screens& screens, std::optional<ScreenDescription> preferred) {
    if (preferred && hasNotch(*preferred))
        return *preferred;
    const QList<ScreenDescription> all = screens.screens();
    for (const ScreenDescription& screen : all) {
        if (hasNotch(screen))
            return screen;
    }
    if (const std::optional<ScreenDescription> main = screens.mainScreen())
        return *main;
    if (!all.isEmpty())
        return all.first();
    if (const std::optional<ScreenDescription> deepest = screens.deepestScreen())
        return *deepest;
    return {};
}

QSizeF notchSize(const ScreenDescription& screen) {
    if (!hasNotch(screen))
        return {fallbackNotchWidth, fallbackNotchHeight};
    double width = screen.frame.width() - screen.auxiliaryTopLeftWidth - screen.auxiliaryTopRightWidth;
    // Auxiliary areas that meet or overlap say nothing about the notch's width.
    if (!(width > 0))
        width = fallbackNotchWidth;
    return {width, screen.topSafeAreaInset};
}

QRectF notchPanelFrame(const ScreenDescription& screen, const QSizeF& size) {
    const QRectF frame(screen.frame);
    const double notchWidth = notchSize(screen).width();
    const double notchMidX = frame.left() + (frame.width() - notchWidth) / 2.0 + notchWidth / 2.0;
    const double x =
        std::max(frame.left(), std::min(frame.right() - size.width(), notchMidX - size.width() / 2.0));
    return QRectF(QPointF(x, frame.top()), size);
}

QRectF notchHoverRegion(const QRectF& notchFrame) {
    return notchFrame.adjusted(-22, -12, 22, 12);
}
