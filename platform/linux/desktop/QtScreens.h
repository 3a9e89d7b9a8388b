#pragma once

#include "platform/Screens.h"

class QScreen;

// Screens over QGuiApplication's screen list. Linux displays have no notch: every inset is 0.
// No QScreen is kept: descriptions are built on demand from the screens Qt lists at that moment,
// so a screen that was unplugged is never touched again. screensChanged() is emitted once per
// burst of Qt's screen signals (added, removed, primary changed, geometry changed), on a later
// pass of the event loop, after Qt has finished removing a screen and moving its windows.
class QtScreens final : public Screens {
    Q_OBJECT
public:
    explicit QtScreens(QObject* parent = nullptr);

    QList<ScreenDescription> screens() const override;
    std::optional<ScreenDescription> mainScreen() const override;
    std::optional<ScreenDescription> deepestScreen() const override;

    // An empty description for a null screen.
    static ScreenDescription describe(const QScreen* screen);

private:
    void watch(QScreen* screen);
    void scheduleChanged();

    bool m_changePending = false;
};
