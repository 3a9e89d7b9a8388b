#include "platform/Clock.h"

#include <QTimer>

namespace {

class SystemClockTimer final : public ClockTimer {
public:
    explicit SystemClockTimer(QObject* parent) : ClockTimer(parent) {
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, &ClockTimer::timeout);
    }

    void start(std::chrono::milliseconds delay) override { m_timer.start(delay); }
    void stop() override { m_timer.stop(); }
    bool isActive() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTimeUtc(); }
    ClockTimer* createTimer(QObject* parent) override { return new SystemClockTimer(parent); }
};

} // namespace

Clock* Clock::system() {
    static SystemClock clock;
    return &clock;
}
