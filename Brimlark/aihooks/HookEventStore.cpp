#include "Brimlark/aihooks/HookEventStore.h"

#include <algorithm>

HookEventStore::HookEventStore(QObject* parent) : QObject(parent) {}

const HookEvent* HookEventStore::find(const QUuid& id) const {
    const auto it =
        std::find_if(m_events.cbegin(), m_events.cend(), [&](const HookEvent& e) { return e.id == id; });
    return it == m_events.cend() ? nullptr : &*it;
}

bool HookEventStore::insert(const HookEvent& event) {
    const qsizetype removed = m_events.removeIf([&](const HookEvent& e) { return e.id == event.id; });
    m_events.prepend(event);
    if (m_events.size() > maxEvents)
        m_events.resize(maxEvents);
    return removed == 0;
}

bool HookEventStore::ingest(const HookEvent& event) {
    const bool isNew = insert(event);
    emit eventsChanged();
    return isNew;
}

QList<HookEvent> HookEventStore::ingest(const QList<HookEvent>& events) {
    QList<HookEvent> fresh;
    if (events.isEmpty())
        return fresh;
    for (const HookEvent& event : events)
        if (insert(event))
            fresh.append(event);
    emit eventsChanged();
    return fresh;
}

void HookEventStore::dismiss(const QUuid& id) {
    if (m_events.removeIf([&](const HookEvent& event) { return event.id == id; }) > 0)
        emit eventsChanged();
}

void HookEventStore::clear() {
    if (m_events.isEmpty())
        return;
    m_events.clear();
    emit eventsChanged();
}
