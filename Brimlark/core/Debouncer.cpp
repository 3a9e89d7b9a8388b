#include "Brimlark/core/Debouncer.h"

#include <cmath>

Debouncer::Debouncer(double intervalSeconds, Clock* clock, QObject* parent)
    : QObject(parent), m_interval(intervalSeconds), m_timer(clock->createTimer(this)) {
    connect(m_timer, &ClockTimer::timeout, this, &Debouncer::runPending);
}

void Debouncer::runPending() {
    // Moved out first: the action may schedule the next one.
    auto action = std::move(m_action);
    m_action = nullptr;
    if (action)
        action();
}

void Debouncer::cancel() {
    m_timer->stop();
    m_action = nullptr;
}

void Debouncer::flush() {
    if (!m_timer->isActive())
        return;
    m_timer->stop();
    runPending();
}

bool Debouncer::isPending() const {
    return m_timer->isActive();
}

void Debouncer::schedule(std::function<void()> action) {
    m_timer->stop();
    m_action = std::move(action);
    const double seconds = std::isfinite(m_interval) ? std::max(0.0, m_interval) : 0.0;
    m_timer->start(std::chrono::milliseconds(std::llround(seconds * 1000.0)));
}
