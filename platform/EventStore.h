#pragma once

#include "platform/Permissions.h"

#include <QColor>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

// The user's calendars and reminders: whether the program may read them, and the events of a
// time range.
class EventStore : public QObject {
    Q_OBJECT
public:
    enum class Entity { event, reminder };

    // One calendar. `color` is invalid when the calendar has none.
    struct Calendar {
        QString identifier;
        QString title;
        QColor color;
        bool operator==(const Calendar& other) const {
            return identifier == other.identifier && title == other.title && color == other.color;
        }
    };

    // One occurrence of an event, as the store holds it. A text the event does not carry is absent;
    // an all-day event starts and ends at local midnight.
    struct Event {
        // Unique per occurrence; absent when the event carries no identifier.
        std::optional<QString> identifier;
        // The same for every occurrence of the event.
        std::optional<QString> externalIdentifier;
        std::optional<QString> title;
        QDateTime start;
        QDateTime end;
        bool isAllDay = false;
        std::optional<QString> location;
        std::optional<QString> notes;
        std::optional<QUrl> url;
        // The calendar holding the event: its identifier and colour (invalid for none).
        QString calendarIdentifier;
        QColor calendarColor;
    };

    using QObject::QObject;
    ~EventStore() override = default;

    // Whether the program may read events or reminders.
    virtual PermissionStatus authorizationStatus(Entity entity) const = 0;
    // Asks for full access; reports to `done` once whether it is granted, or an error text. `done`
    // runs only while `context` exists, as Qt drops a call to a destroyed receiver; a null
    // context is no guard.
    virtual void requestFullAccess(Entity entity, const QObject* context,
                                   std::function<void(bool granted, const QString& error)> done) = 0;

    // The calendars that hold events; empty without access.
    virtual QList<Calendar> eventCalendars() = 0;
    // The occurrences in `calendars` that overlap [start, end], in the store's own order; recurring
    // events are expanded. Empty without access.
    virtual QList<Event> eventsInRange(const QDateTime& start, const QDateTime& end,
                                       const QList<Calendar>& calendars) = 0;

signals:
    // The store's content or its authorisation changed.
    void changed();
};
