#pragma once

#include <QDateTime>
#include <QObject>

#include <chrono>

// A single-shot timer made by a Clock. Restarting it replaces the pending timeout. Like a QTimer it
// belongs to the thread it was made on (the main thread): call it from there only.
class ClockTimer : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~ClockTimer() override = default;

    // Arms the timer to fire once, `delay` from now; an armed timer is re-armed.
    virtual void start(std::chrono::milliseconds delay) = 0;
    // Disarms the timer; a stopped timer never fires.
    virtual void stop() = 0;
    // True while armed and not yet fired.
    virtual bool isActive() const = 0;

signals:
    void timeout();
};

// Wall-clock time and timers. Services take one so that tests can drive time by hand.
//
// now() is safe from any thread while the main thread uses the clock, because a network listener
// stamps requests with it on its own thread. Everything else is for the main thread only.
class Clock {
public:
    virtual ~Clock() = default;

    // The current date and time (UTC); never fails. Any thread.
    virtual QDateTime now() const = 0;
    // A new disarmed single-shot timer owned by `parent`; never fails. Main thread only.
    virtual ClockTimer* createTimer(QObject* parent) = 0;

    // The process-wide clock backed by the system time and precise QTimers; never null. Any thread.
    static Clock* system();
};
