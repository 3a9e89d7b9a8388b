#pragma once

#include <QEvent>
#include <QList>
#include <QObject>

#include <functional>

namespace KeyboardShortcuts {

// Sees the program's input events of the given types before any widget does, while it is alive:
// an event filter on the application that looks at each event where it enters the program, at
// its window. The callback returns true to swallow the event (no widget gets it) and false to let
// it through; events are never held back or reordered. A ShortcutOverride (Qt's question, before
// a key press, whether the focus widget wants the key rather than a shortcut) is seen at the
// widget it is asked of; the callback accepts it to keep every shortcut from firing. The owner keeps the
// monitor as a token: destroying it removes the filter.
class LocalEventMonitor : public QObject {
    Q_OBJECT
public:
    using Callback = std::function<bool(QEvent* event)>;

    // Installs nothing yet.
    LocalEventMonitor(QList<QEvent::Type> events, Callback callback, QObject* parent = nullptr);
    ~LocalEventMonitor() override;

    // Installs the filter on the application (once); returns the monitor for chaining.
    LocalEventMonitor& start();
    bool isStarted() const { return m_started; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QList<QEvent::Type> m_events;
    Callback m_callback;
    bool m_started = false;
};

} // namespace KeyboardShortcuts
