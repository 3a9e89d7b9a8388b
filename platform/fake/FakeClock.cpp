#include "platform/fake/FakeClock.h"

#include <algorithm>
#include <limits>

class FakeClockTimer final : public ClockTimer {
public:
    FakeClockTimer(FakeClock* clock, QObject* parent) : ClockTimer(parent), m_clock(clock) {}

    void start(std::chrono::milliseconds delay) override {
        m_deadline = m_clock->m_nowMs.load() + std::max<qint64>(0, delay.count());
        m_active = true;
    }
    void stop() override { m_active = false; }
    bool isActive() const override { return m_active; }

    FakeClock* m_clock;
    qint64 m_deadline = 0;
    bool m_active = false;
};

FakeClock::FakeClock(QDateTime start) : m_nowMs(start.toMSecsSinceEpoch()) {}

FakeClock::~FakeClock() = default;

QDateTime FakeClock::now() const {
    return QDateTime::fromMSecsSinceEpoch(m_nowMs.load(), QTimeZone::utc());
}

ClockTimer* FakeClock::createTimer(QObject* parent) {
    auto* timer = new FakeClockTimer(this, parent);
    m_timers.append(timer);
    return timer;
}

void FakeClock::advance(std::chrono::milliseconds delta) {
    const qint64 target = m_nowMs.load() + std::max<qint64>(0, delta.count());
    for (;;) {
        m_timers.removeAll(nullptr);
        FakeClockTimer* next = nullptr;
        qint64 best = std::numeric_limits<qint64>::max();
        for (const auto& timer : std::as_const(m_timers)) {
            if (timer && timer->m_active && timer->m_deadline <= target && timer->m_deadline < best) {
                best = timer->m_deadline;
                next = timer;
            }
        }
        if (!next)
            break;
        m_nowMs = std::max(m_nowMs.load(), next->m_deadline);
        next->m_active = false;
        emit next->timeout();
    }
    m_nowMs = target;
}

void FakeClock::setNow(const QDateTime& now) {
    m_nowMs = now.toMSecsSinceEpoch();
}

void FakeClock::stepWallClock(std::chrono::milliseconds delta) {
    m_nowMs += delta.count();
    for (const auto& timer : std::as_const(m_timers)) {
        if (timer)
            timer->m_deadline += delta.count();
    }
}
