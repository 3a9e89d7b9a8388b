#include "MenuBarLabel.h"

#include <QSystemTrayIcon>

MenuBarLabel::MenuBarLabel(QSystemTrayIcon& trayIcon, QObject* parent)
    : QObject(parent), m_trayIcon(trayIcon) {
    redraw();
}

void MenuBarLabel::redraw() {
    m_trayIcon.setIcon(m_statusObserver.icon());
}
