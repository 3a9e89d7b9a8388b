#include "KeyboardShortcuts/RunLoopLocalEventMonitor.h"

namespace KeyboardShortcuts {

RunLoopLocalEventMonitor::RunLoopLocalEventMonitor(QList<QEvent::Type> events,
                                                   LocalEventMonitor::Callback callback)
    : m_events(std::move(events)), m_callback(std::move(callback)) {}

RunLoopLocalEventMonitor::~RunLoopLocalEventMonitor() = default;

void RunLoopLocalEventMonitor::attach() {
    if (m_monitor)
        return;
    m_monitor = std::make_unique<LocalEventMonitor>(m_events, m_callback);
    m_monitor->start();
}

void RunLoopLocalEventMonitor::detach() {
    m_monitor.reset();
}

} // namespace KeyboardShortcuts
