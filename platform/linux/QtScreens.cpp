#include "QtScreens.h"

#include <QGuiApplication>
#include <QScreen>

QtScreens::QtScreens(QObject* parent) : Screens(parent) {
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
        watch(screen);
        emit screensChanged();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, &Screens::screensChanged);
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, &Screens::screensChanged);
    const auto all = QGuiApplication::screens();
    for (QScreen* screen : all)
        watch(screen);
}

void QtScreens::watch(QScreen* screen) {
    connect(screen, &QScreen::geometryChanged, this, &Screens::screensChanged);
}

ScreenDescription QtScreens::describe(const QScreen* screen) {
    ScreenDescription description;
    description.name = screen->name();
    description.frame = screen->geometry();
    return description;
}

QList<ScreenDescription> QtScreens::screens() const {
    QList<ScreenDescription> result;
    const auto all = QGuiApplication::screens();
    for (const QScreen* screen : all)
        result.append(describe(screen));
    return result;
}

std::optional<ScreenDescription> QtScreens::mainScreen() const {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        return describe(screen);
    return std::nullopt;
}

std::optional<ScreenDescription> QtScreens::deepestScreen() const {
    const QScreen* deepest = nullptr;
    const auto all = QGuiApplication::screens();
    for (const QScreen* screen : all) {
        if (!deepest || screen->depth() > deepest->depth())
            deepest = screen;
    }
    if (deepest)
        return describe(deepest);
    return std::nullopt;
}
