#include "platform/linux/desktop/OwnWindows.h"

#include <QGuiApplication>
#include <QRegion>
#include <QWindow>

bool isOverOwnWindow(const QPoint& position) {
    const auto windows = QGuiApplication::topLevelWindows();
    for (const QWindow* window : windows) {
        if (!window->isVisible() || window->flags().testFlag(Qt::WindowTransparentForInput))
            continue;
        if (!window->frameGeometry().contains(position))
            continue;
        const QRegion mask = window->mask();
        if (!mask.isEmpty() && !mask.contains(position - window->geometry().topLeft()))
            continue;
        return true;
    }
    return false;
}
