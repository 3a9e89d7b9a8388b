#pragma once

#include "StatusObserver.h"

#include <QObject>
#include <QPointer>

class Accessibility;
class AIHooksService;
class QSystemTrayIcon;
class QVariantAnimation;
class TimerService;

// Keeps the tray icon's picture: the StatusObserver's drawing of the notch symbol and its dot. The
// dot follows the hook service's active event and the running countdown, and pulses while a tool
// asks or works (0.85 s each way, eased in and out); with reduce motion on it holds still.
class MenuBarLabel : public QObject {
    Q_OBJECT
public:
    // Without services the label shows only the symbol.
    MenuBarLabel(QSystemTrayIcon& trayIcon, AIHooksService* aiHooks = nullptr, TimerService* timer = nullptr,
                 Accessibility* accessibility = nullptr, QObject* parent = nullptr);

    StatusObserver& statusObserver() { return m_statusObserver; }
    bool isPulsing() const { return m_isPulsing; }
    // True while the dot's look is being animated (pulsing, or settling after a pulse).
    bool isAnimating() const;
    // How many times the tray icon was drawn; a pulse redraws it only when the dot visibly changes.
    int redrawCount() const { return m_redrawCount; }

    // Reads the services again and redraws when the dot changed.
    void update();
    // Redraws the tray icon from the observer.
    void redraw();

private:
    void runPulseUpdate();
    void showLook(qreal opacity, qreal scale);

    QSystemTrayIcon& m_trayIcon;
    QPointer<AIHooksService> m_aiHooks;
    QPointer<TimerService> m_timer;
    Accessibility* m_accessibility;
    StatusObserver m_statusObserver;
    bool m_isPulsing = false;
    QVariantAnimation* m_pulse;
    QVariantAnimation* m_settle;
    qreal m_settleFromOpacity = 1.0;
    qreal m_settleFromScale = 1.0;
    // The dot's look at the last redraw.
    qreal m_drawnOpacity = -1.0;
    qreal m_drawnScale = -1.0;
    int m_redrawCount = 0;
};
