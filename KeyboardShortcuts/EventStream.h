#pragma once

#include "KeyboardShortcuts/EventType.h"
#include "KeyboardShortcuts/Name.h"

#include <QObject>

#include <optional>

namespace KeyboardShortcuts {

// The presses and releases of one name's hot key, for as long as the stream lives. Its actions
// join the registry when the event loop next runs; ending the stream (end() or destroying it)
// takes them out again the same way, and with the last one the name's grab, unless another name
// still needs it.
class EventStream : public QObject {
    Q_OBJECT
public:
    // `only`: the one kind of event the stream passes on (none: both).
    explicit EventStream(Name name, std::optional<EventType> only = std::nullopt, QObject* parent = nullptr);
    ~EventStream() override;

    const Name& name() const { return m_name; }
    // Ends the stream: nothing is emitted any more. Ending twice is once.
    void end();
    bool isEnded() const { return m_ended; }

    // Emits the event (and keyDown or keyUp) unless the stream ended or keeps only the other kind.
    void yield(EventType type);

signals:
    void event(KeyboardShortcuts::EventType type);
    void keyDown();
    void keyUp();
    // The stream ended; its actions leave the registry at the next turn of the event loop.
    void ended();

private:
    Name m_name;
    std::optional<EventType> m_only;
    bool m_ended = false;
};

} // namespace KeyboardShortcuts
