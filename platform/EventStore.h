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

// The user's calendars and reminders: whether the program may read them, the events of a time
// range, and the reminders of their lists, which can be completed, reopened and added to.
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

    // One reminder (a to-do), as the store holds it. `listIdentifier` is empty and `listColor`
    // invalid when it belongs to no list.
    struct Reminder {
        // Unique in the store; the key of reminderWithIdentifier() and setReminderCompleted().
        QString identifier;
        // Absent when the reminder has no title at all.
        std::optional<QString> title;
        bool isCompleted = false;
        // Invalid when the reminder has no due date.
        QDateTime due;
        // The reminder is due on a day, not at a time of it: `due` is that day's local midnight.
        bool dueIsDate = false;
        QString listIdentifier;
        std::optional<QString> listTitle;
        QColor listColor;
    };

    // A time range, [start, end].
    struct Range {
        QDateTime start;
        QDateTime end;
    };
    // A calendar file the store could not read: the title of the calendar (folder) holding it, the
    // file and a sentence on what was wrong with it.
    struct UnreadableFile {
        QString calendarTitle;
        QString path;
        QString problem;
        bool operator==(const UnreadableFile& other) const {
            return calendarTitle == other.calendarTitle && path == other.path && problem == other.problem;
        }
    };
    // What fetchEvents answers: the event calendars and, for each range asked, its occurrences in
    // all of them, as eventsInRange() gives them. Both empty without access or calendars. A store
    // of files also names those it could not read, whether or not their calendar holds events.
    struct EventsAnswer {
        QList<Calendar> calendars;
        QList<QList<Event>> events;
        QList<UnreadableFile> unreadable;
    };

    // How saving a reminder ended: `missing` when there was nothing to save it in (no such
    // reminder, or no list to add to), `saved`, or `failed` with a sentence on what failed.
    struct SaveAnswer {
        enum class Kind { missing, saved, failed };
        Kind kind = Kind::missing;
        QString error;
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

    // Reads the event calendars and the occurrences of each range, for a caller that must not
    // wait on the reading. This default answers before returning, from eventCalendars() and
    // eventsInRange(); a store that reads slowly answers on a later turn of the main thread's
    // event loop instead, and may drop an answer a newer call or its own end makes useless.
    // `done` runs only while `context` exists.
    virtual void fetchEvents(const QList<Range>& ranges, const QObject* context,
                             std::function<void(const EventsAnswer& answer)> done);

    // The reminder lists, in the store's order; empty without access.
    virtual QList<Calendar> reminderLists() = 0;
    // The list a new reminder goes to when none is chosen; none without lists or access.
    virtual std::optional<Calendar> defaultListForNewReminders() = 0;
    // The reminder lists and the default list for new reminders, answered as fetchEvents answers.
    virtual void fetchReminderLists(
        const QObject* context,
        std::function<void(const QList<Calendar>& lists, const std::optional<Calendar>& defaultList)> done);
    // Fetches the reminders of `list`, or of every list when none is given, open and completed
    // alike, in the store's order. The answer comes on a later turn of the main thread's event
    // loop, never before this returns, and only while `context` exists; empty without access.
    virtual void fetchReminders(const std::optional<Calendar>& list, const QObject* context,
                                std::function<void(const QList<Reminder>& reminders)> done) = 0;
    // The reminder with this identifier; none when there is no such reminder.
    virtual std::optional<Reminder> reminderWithIdentifier(const QString& identifier) = 0;
    // Marks a reminder completed or open again and saves it at once. False, with `error` set to a
    // sentence on what failed, when there is no such reminder or it could not be saved.
    virtual bool setReminderCompleted(const QString& identifier, bool completed, QString* error) = 0;
    // Adds an open reminder titled `title` to `list` and saves it at once. Its identifier, or none
    // with `error` set when it could not be saved.
    virtual std::optional<QString> addReminder(const QString& title, const Calendar& list,
                                               QString* error) = 0;

    // setReminderCompleted() for a caller that must not wait on the store's files, answered as
    // fetchEvents answers: this default before returning, through reminderWithIdentifier() and
    // setReminderCompleted(); a store that reads slowly on a later turn of the main thread's loop.
    // A save is never dropped for a newer call. `done` runs only while `context` exists.
    virtual void saveReminderCompleted(const QString& identifier, bool completed, const QObject* context,
                                       std::function<void(const SaveAnswer& answer)> done);
    // addReminder() likewise, to `list`, or to defaultListForNewReminders() when none is given.
    virtual void saveNewReminder(const QString& title, const std::optional<Calendar>& list,
                                 const QObject* context, std::function<void(const SaveAnswer& answer)> done);

protected:
    // The two saves above, on the calling thread, through the blocking calls.
    SaveAnswer completeNow(const QString& identifier, bool completed);
    SaveAnswer addNow(const QString& title, const std::optional<Calendar>& list);

signals:
    // The store's content or its authorisation changed.
    void changed();
};

Q_DECLARE_METATYPE(EventStore::Calendar)
