#pragma once

#include "platform/Screens.h"

// Screens a test describes by hand, notched or not.
class FakeScreens final : public Screens {
    Q_OBJECT
public:
    using Screens::Screens;

    QList<ScreenDescription> screens() const override { return m_screens; }
    std::optional<ScreenDescription> mainScreen() const override { return pick(m_mainIndex); }
    std::optional<ScreenDescription> deepestScreen() const override { return pick(m_deepestIndex); }

    // Replaces the screen list; main and deepest are indexes into it (-1: none). Emits the change.
    void setScreens(const QList<ScreenDescription>& screens, int mainIndex = 0, int deepestIndex = 0);

    // A 1512 × 982 laptop screen with a 185 × 32 notch (auxiliary areas of 663.5 on each side).
    static ScreenDescription notchedLaptop(const QString& name = QStringLiteral("Built-in"));
    // A plain screen without a notch.
    static ScreenDescription plain(const QString& name, const QRect& frame);

private:
    std::optional<ScreenDescription> pick(int index) const;

    QList<ScreenDescription> m_screens;
    int m_mainIndex = -1;
    int m_deepestIndex = -1;
};
