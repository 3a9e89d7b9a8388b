#pragma once

#include "Brimlark/controls/TimerInfo.h"
#include "platform/Clock.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class AppState;
class Notifications;

// A duration as the panel shows it: whole seconds (halves away from zero, negatives as 0) as
// "mm:ss" below an hour, else "h:mm:ss". Not a number and the infinities read as 0; lengths far
// beyond any countdown are held to a bound before rounding.
QString formatTimerDuration(double seconds);

// The one countdown. While it runs it ticks when what it shows changes (once a second, and at its
// end), then twice a second until it clears; it posts "timer finished" when it ends and clears the
// timer about two seconds later.
class TimerService : public QObject {
    Q_OBJECT
public:
    // `notifications` may be null: the timer then runs without notifications.
    TimerService(AppState& appState, Notifications* notifications, Clock* clock = Clock::system(),
                 QObject* parent = nullptr);

    // The process-wide service, created on first use.
    static TimerService& shared();

    // The running timer; it stays set for about two seconds after its end.
    const std::optional<TimerInfo>& active() const { return m_active; }
    bool notifyAuthorized() const { return m_notifyAuthorized; }

    // Replaces any running timer with one of `seconds`.
    void start(double seconds);
    // Stops the running timer, if any, and removes its notifications.
    void cancel();
    // Asks to post alerts with sound; `done` (optional) gets the answer.
    void requestAuthorization(std::function<void(bool)> done = {});

signals:
    void activeChanged(const std::optional<TimerInfo>& active);
    void notifyAuthorizedChanged(bool authorized);
    // Every tick while a timer exists, so views showing the remaining time redraw.
    void ticked();

private:
    void setActive(const std::optional<TimerInfo>& active);
    void setNotifyAuthorized(bool authorized);
    void prepareStartNotification(const QUuid& id);
    void addStartNotification(const TimerInfo& timer);
    void tick();
    void removeNotifications(const TimerInfo& timer);
    static QString identifier(const QUuid& id);

    AppState& m_appState;
    Notifications* m_notifications;
    Clock* m_clock;
    ClockTimer* m_ticker;
    ClockTimer* m_clearTimer;
    std::optional<TimerInfo> m_active;
    std::optional<QUuid> m_firedFor;
    QUuid m_clearFor;
    bool m_notifyAuthorized = false;
};
