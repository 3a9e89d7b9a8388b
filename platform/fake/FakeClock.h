#pragma once

#include "platform/Clock.h"

#include <QList>
#include <QPointer>
#include <QTimeZone>

#include <atomic>

// A clock that stands still until a test advances it. Timers fire, in deadline order, only
// inside advance(); a timer whose deadline is reached by the advance fires at that moment.
//
// As the Clock contract asks, now() may be read from any thread while the test moves time on the
// main thread: the time is held in an atomic. Moving time, making timers and the timers themselves
// are for the main thread only.
class FakeClock final : public Clock {
public:
    explicit FakeClock(QDateTime start = QDateTime(QDate(2026, 1, 5), QTime(9, 0), QTimeZone::utc()));
    ~FakeClock() override;

    QDateTime now() const override;
    ClockTimer* createTimer(QObject* parent) override;

    // Moves time forward by `delta`, firing every timer that falls due on the way.
    void advance(std::chrono::milliseconds delta);
    // Sets the current time without firing timers (for tests of date arithmetic).
    void setNow(const QDateTime& now);
    // Sets the wall clock forward or back by `delta`, as the user or a time service does. Armed
    // timers keep their remaining time: like the system's timers they run on a steady clock.
    void stepWallClock(std::chrono::milliseconds delta);

private:
    friend class FakeClockTimer;
    std::atomic<qint64> m_nowMs{0};
    QList<QPointer<class FakeClockTimer>> m_timers;
};
