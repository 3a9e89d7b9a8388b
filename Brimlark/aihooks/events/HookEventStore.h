#pragma once

#include "Brimlark/aihooks/events/HookEvent.h"

#include <QList>
#include <QObject>
#include <QUuid>

// The latest hook events: newest first, at most maxEvents, one per id. An event that shows its
// tool has moved past an earlier question settles that question (HookSettleRule): the question
// keeps its place and title and becomes idle, without actions.
class HookEventStore : public QObject {
    Q_OBJECT
    Q_PROPERTY(QList<HookEvent> events READ events NOTIFY eventsChanged)

public:
    static constexpr int maxEvents = 50;

    explicit HookEventStore(QObject* parent = nullptr);

    const QList<HookEvent>& events() const { return m_events; }
    // The stored event with the id, or null.
    const HookEvent* find(const QUuid& id) const;
    bool contains(const QUuid& id) const { return find(id) != nullptr; }

    // Adds one event: the questions it settles are settled, an event with the same id is replaced
    // and the new one goes first; the oldest beyond the cap are dropped. True when the id was not
    // stored. `settled`, when given, receives the ids of the questions it settled.
    bool ingest(const HookEvent& event, QList<QUuid>* settled = nullptr);
    // The same for each event in order (the last ends first), with one change signal and none for
    // an empty list. Returns the events whose ids were not stored, in order. `settled`, when given,
    // receives for each event, in order, the ids of the questions it settled.
    QList<HookEvent> ingest(const QList<HookEvent>& events, QList<QList<QUuid>>* settled = nullptr);
    // Removes the event; signals only when there was one.
    void dismiss(const QUuid& id);
    // Removes every event; signals only when there were any.
    void clear();

signals:
    void eventsChanged();

private:
    bool insert(const HookEvent& event, QList<QUuid>* settled);

    QList<HookEvent> m_events;
};
