#pragma once

#include "platform/Screens.h"

class QScreen;

// Screens over QGuiApplication's screen list. Linux displays have no notch: every inset is 0.
class QtScreens final : public Screens {
    Q_OBJECT
public:
    explicit QtScreens(QObject* parent = nullptr);

    QList<ScreenDescription> screens() const override;
    std::optional<ScreenDescription> mainScreen() const override;
    std::optional<ScreenDescription> deepestScreen() const override;

    static ScreenDescription describe(const QScreen* screen);

private:
    void watch(QScreen* screen);
};
