#pragma once

#include "StatusObserver.h"

#include <QObject>

class QSystemTrayIcon;

// Keeps the tray icon's picture: the StatusObserver's drawing of the notch symbol and its dot.
class MenuBarLabel : public QObject {
    Q_OBJECT
public:
    explicit MenuBarLabel(QSystemTrayIcon& trayIcon, QObject* parent = nullptr);

    StatusObserver& statusObserver() { return m_statusObserver; }
    // Redraws the tray icon from the observer.
    void redraw();

private:
    QSystemTrayIcon& m_trayIcon;
    StatusObserver m_statusObserver;
};
