#include "platform/linux/desktop/QtScreens.h"

#include <QGuiApplication>
#include <QScreen>

QtScreens::QtScreens(QObject* parent) : Screens(parent) {
    if (!qGuiApp)
        return; // no application, no screens: every query answers empty
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
        watch(screen);
        scheduleChanged();
    });
    // The removed screen is only announced; nothing here reads it.
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, [this](QScreen*) { scheduleChanged(); });
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, [this](QScreen*) { scheduleChanged(); });
    const auto all = QGuiApplication::screens();
    for (QScreen* screen : all)
        watch(screen);
}

void QtScreens::watch(QScreen* screen) {
    // The connection ends with the screen.
    connect(screen, &QScreen::geometryChanged, this, &QtScreens::scheduleChanged);
}

void QtScreens::scheduleChanged() {
    if (m_changePending)
        return;
    m_changePending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_changePending = false;
            emit screensChanged();
        },
        Qt::QueuedConnection);
}

ScreenDescription QtScreens::describe(const QScreen* screen) {
    ScreenDescription description;
    if (!screen)
        return description;
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
