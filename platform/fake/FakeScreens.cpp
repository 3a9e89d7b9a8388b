#include "platform/fake/FakeScreens.h"

void FakeScreens::setScreens(const QList<ScreenDescription>& screens, int mainIndex, int deepestIndex) {
    m_screens = screens;
    m_mainIndex = mainIndex;
    m_deepestIndex = deepestIndex;
    emit screensChanged();
}

std::optional<ScreenDescription> FakeScreens::pick(int index) const {
    if (index < 0 || index >= m_screens.size())
        return std::nullopt;
    return m_screens.at(index);
}

ScreenDescription FakeScreens::notchedLaptop(const QString& name) {
    ScreenDescription screen;
    screen.name = name;
    screen.frame = QRect(0, 0, 1512, 982);
    screen.topSafeAreaInset = 32;
    screen.auxiliaryTopLeftWidth = 663.5;
    screen.auxiliaryTopRightWidth = 663.5;
    return screen;
}

ScreenDescription FakeScreens::plain(const QString& name, const QRect& frame) {
    ScreenDescription screen;
    screen.name = name;
    screen.frame = frame;
    return screen;
}
