#pragma once

#include "platform/Clock.h"

#include <QObject>

#include <functional>

// Runs only the last of a quick series of actions, `interval` seconds after it was scheduled,
// on the thread the debouncer lives on (the main thread).
class Debouncer : public QObject {
    Q_OBJECT
public:
    explicit Debouncer(double intervalSeconds, Clock* clock = Clock::system(), QObject* parent = nullptr);

    // True while an action waits to run.
    bool isPending() const;

    // Cancels the pending action, if any, and schedules `action` to run `interval` from now.
    void schedule(std::function<void()> action);
    // Drops the pending action, if any, without running it.
    void cancel();
    // Runs the pending action now, if any, instead of at its time.
    void flush();

private:
    void runPending();

    double m_interval;
    ClockTimer* m_timer;
    std::function<void()> m_action;
};
