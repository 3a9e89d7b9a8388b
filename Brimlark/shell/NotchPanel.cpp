#include "Brimlark/shell/NotchPanel.h"

NotchPanel::NotchPanel(const QRect& frame)
    : QWidget(nullptr,
              Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::NoDropShadowWindowHint) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_X11NetWmWindowTypeDock);
    setWindowTitle(QStringLiteral("Brimlark"));
    setGeometry(frame);
}

void NotchPanel::orderFrontAndFocus() {
    if (!isVisible())
        show();
    raise();
    activateWindow();
}

void NotchPanel::orderFrontRegardless() {
    if (!isVisible())
        show();
    raise();
}
