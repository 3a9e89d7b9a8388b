#include "KeyboardShortcuts/EventStream.h"

namespace KeyboardShortcuts {

EventStream::EventStream(Name name, std::optional<EventType> only, QObject* parent)
    : QObject(parent), m_name(std::move(name)), m_only(only) {}

EventStream::~EventStream() {
    end();
}

void EventStream::end() {
    if (m_ended)
        return;
    m_ended = true;
    emit ended();
}

void EventStream::yield(EventType type) {
    if (m_ended || (m_only && *m_only != type))
        return;
    emit event(type);
    if (type == EventType::keyDown)
        emit keyDown();
    else
        emit keyUp();
}

} // namespace KeyboardShortcuts
