#include "Brimlark/aihooks/events/HookEventStore.h"

#include "Brimlark/aihooks/events/HookSettleRule.h"

#include <algorithm>

HookEventStore::HookEventStore(QObject* parent) : QObject(parent) {}

const HookEvent* HookEventStore::find(const QUuid& id) const {
    const auto it =
        std::find_if(m_events.cbegin(), m_events.cend(), [&](const HookEvent& e) { return e.id == id; });
    return it == m_events.cend() ? nullptr : &*it;
}

bool HookEventStore::insert(const HookEvent& event, QList<QUuid>* settled) {
    if (HookSettleRule::canSettle(event)) {
        for (HookEvent& stored : m_events) {
            if (!HookSettleRule::settles(event, stored))
                continue;
            HookSettleRule::settle(stored);
            if (settled)
                settled->append(stored.id);
        }
    }
    const qsizetype removed = m_events.removeIf([&](const HookEvent& e) { return e.id == event.id; });
    m_events.prepend(event);
    if (m_events.size() > maxEvents)
        m_events.resize(maxEvents);
    return removed == 0;
}

bool HookEventStore::ingest(const HookEvent& event, QList<QUuid>* settled) {
    const bool isNew = insert(event, settled);
    emit eventsChanged();
    return isNew;
}

QList<HookEvent> HookEventStore::ingest(const QList<HookEvent>& events, QList<QList<QUuid>>* settled) {
    QList<HookEvent> fresh;
    if (events.isEmpty())
        return fresh;
    for (const HookEvent& event : events) {
        QList<QUuid> settledByEvent;
        if (insert(event, &settledByEvent))
            fresh.append(event);
        if (settled)
            settled->append(std::move(settledByEvent));
    }
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
