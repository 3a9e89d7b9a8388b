#include "Brimlark/core/RelativeTimeRefresh.h"

#include "platform/Clock.h"

#include <utility>

RelativeTimeRefresh::RelativeTimeRefresh(Clock& clock, std::function<void()> refresh, QObject* parent)
    : QObject(parent), m_refresh(std::move(refresh)), m_timer(clock.createTimer(this)) {
    connect(m_timer, &ClockTimer::timeout, this, &RelativeTimeRefresh::tick);
}

void RelativeTimeRefresh::start() {
    tick();
}

void RelativeTimeRefresh::stop() {
    m_timer->stop();
}

bool RelativeTimeRefresh::isActive() const {
    return m_timer->isActive();
}

void RelativeTimeRefresh::tick() {
    m_refresh();
    m_timer->start(interval);
}
