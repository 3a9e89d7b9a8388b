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
    // The shortcut check before a key press is the exception: it is sent to the focus widget
    // straight away, and passed to its parents only while nobody accepts it.
    if (!m_events.contains(event->type()) || !m_callback)
        return false;
    if (!watched->isWindowType() && event->type() != QEvent::ShortcutOverride)
        return false;
    // The callback may destroy this monitor (an owner dropping its token): it runs from a copy.
    const Callback callback = m_callback;
    return callback(event);
}

} // namespace KeyboardShortcuts
