#include "platform/linux/x11/PolledGlobalInput.h"

#include <QCursor>

PolledGlobalInput::PolledGlobalInput(QObject* parent) : GlobalInput(parent), m_deactivation(this) {
    m_poll.setInterval(pollIntervalMs);
    connect(&m_poll, &QTimer::timeout, this, &PolledGlobalInput::poll);
    connect(&m_deactivation, &DeactivationWatcher::deactivated, this,
            [this] { emit mouseDownOutside(Qt::NoButton, pointerPosition()); });
}

bool PolledGlobalInput::start() {
    if (m_poll.isActive())
        return true;
    m_last = pointerPosition();
    m_restingMs = 0;
    m_poll.start(pollIntervalMs);
    m_deactivation.setEnabled(true);
    return true;
}

void PolledGlobalInput::stop() {
    m_poll.stop();
    m_deactivation.setEnabled(false);
}

QPoint PolledGlobalInput::pointerPosition() const {
    return QCursor::pos();
}

void PolledGlobalInput::poll() {
    const QPoint position = pointerPosition();
    if (position == m_last) {
        m_restingMs += m_poll.interval();
        if (m_restingMs >= restBeforeSlowingMs && m_poll.interval() != restingPollIntervalMs)
            m_poll.setInterval(restingPollIntervalMs);
        return;
    }
    m_last = position;
    m_restingMs = 0;
    if (m_poll.interval() != pollIntervalMs)
        m_poll.setInterval(pollIntervalMs);
    emit pointerMoved(position);
}
