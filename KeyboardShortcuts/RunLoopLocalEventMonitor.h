#pragma once

#include "KeyboardShortcuts/LocalEventMonitor.h"

#include <memory>

namespace KeyboardShortcuts {

// A LocalEventMonitor its owner switches on and off, for a while such as a menu being open.
// Qt's event loop has no modes: while attached, the monitor sees events whatever loop runs
// (a menu's or a dialog's included). Destroying it detaches it.
class RunLoopLocalEventMonitor {
public:
    RunLoopLocalEventMonitor(QList<QEvent::Type> events, LocalEventMonitor::Callback callback);
    ~RunLoopLocalEventMonitor();
    RunLoopLocalEventMonitor(const RunLoopLocalEventMonitor&) = delete;
    RunLoopLocalEventMonitor& operator=(const RunLoopLocalEventMonitor&) = delete;

    // Starts filtering; attaching twice is one attachment.
    void attach();
    // Stops filtering; detaching a detached monitor does nothing.
    void detach();
    bool isAttached() const { return m_monitor != nullptr; }

private:
    QList<QEvent::Type> m_events;
    LocalEventMonitor::Callback m_callback;
    std::unique_ptr<LocalEventMonitor> m_monitor;
};

} // namespace KeyboardShortcuts
