#pragma once

#include "Brimlark/shell/StatusObserver.h"

#include <QEasingCurve>
#include <QObject>
#include <QPointer>

class Accessibility;
class AIHooksService;
class QSystemTrayIcon;
class QTimer;
class TimerService;

// Keeps the tray icon's picture: the StatusObserver's drawing of the notch symbol and its dot. The
// dot follows the hook service's active event and the running countdown, and pulses while a tool
// asks or works (0.85 s each way, eased in and out); with reduce motion on it holds still. Each new
// look is a whole new tray picture, so the dot moves in a few steps a leg rather than per frame.
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
    // How many times the tray icon was drawn; a pulse redraws it once per step, when the dot's look
    // changed.
    int redrawCount() const { return m_redrawCount; }

    // Reads the services again and redraws when the dot changed.
    void update();
    // Redraws the tray icon from the observer. Until the tray is shown only the look is kept: no
    // picture is rendered for a tray that does not exist.
    void redraw();
    // The tray is about to be shown: from now on each new look renders a picture, starting with the
    // current one.
    void trayWillShow();

private:
    enum class Motion { none, pulse, settle };

    void runPulseUpdate();
    void startMotion(Motion motion);
    void stopMotion();
    void step();
    void showLook(qreal opacity, qreal scale);
    // The label drawn for the tray's slot.
    QIcon trayPicture() const;

    QSystemTrayIcon& m_trayIcon;
    QPointer<AIHooksService> m_aiHooks;
    QPointer<TimerService> m_timer;
    Accessibility* m_accessibility;
    StatusObserver m_statusObserver;
    bool m_isPulsing = false;
    // Steps the pulse or the settling; it runs only while the dot moves.
    QTimer* m_stepper;
    Motion m_motion = Motion::none;
    int m_step = 0;
    bool m_pulseRising = true;
    QEasingCurve m_pulseCurve;
    qreal m_settleFromOpacity = 1.0;
    qreal m_settleFromScale = 1.0;
    // The dot's look at the last redraw.
    qreal m_drawnOpacity = -1.0;
    qreal m_drawnScale = -1.0;
    int m_redrawCount = 0;
    bool m_trayShown = false;
};
