#include "KeyboardShortcuts/LocalEventMonitor.h"

#include <QCoreApplication>

namespace KeyboardShortcuts {

LocalEventMonitor::LocalEventMonitor(QList<QEvent::Type> events, Callback callback, QObject* parent)
    : QObject(parent), m_events(std::move(events)), m_callback(std::move(callback)) {}

LocalEventMonitor::~LocalEventMonitor() {
    if (m_started && QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
}

LocalEventMonitor& LocalEventMonitor::start() {
    if (!m_started && QCoreApplication::instance()) {
        QCoreApplication::instance()->installEventFilter(this);
        m_started = true;
    }
    return *this;
}

bool LocalEventMonitor::eventFilter(QObject* watched, QEvent* event) {
    // Input enters the program at a window and then travels to the focus widget and its parents,
    // passing the application's filters at every step: looking at it on the window sees it once.
    if (!watched->isWindowType() || !m_events.contains(event->type()) || !m_callback)
        return false;
    // The callback may destroy this monitor (an owner dropping its token): it runs from a copy.
    const Callback callback = m_callback;
    return callback(event);
}

} // namespace KeyboardShortcuts
