#pragma once

#include "platform/ContextCallback.h"
#include "platform/EventStore.h"

#include <QPointer>

#include <algorithm>

class FakeEventStore final : public EventStore {
    Q_OBJECT
public:
    using EventStore::EventStore;

    PermissionStatus authorizationStatus(Entity entity) const override {
        return entity == Entity::event ? events : reminders;
    }
    // Answers before returning.
    void requestFullAccess(Entity entity, const QObject* context,
                           std::function<void(bool, const QString&)> done) override {
        ++requests;
        const ContextCallback<void(bool, const QString&)> reply(context, std::move(done));
        if (!requestError.isEmpty()) {
            reply(false, requestError);
            return;
        }
        (entity == Entity::event ? events : reminders) =
            grantOnRequest ? PermissionStatus::authorized : PermissionStatus::denied;
        reply(grantOnRequest, QString());
    }

    QList<Calendar> eventCalendars() override { return calendars; }
    // The stored events of the asked calendars that run into the range, in the order stored: one
    // that ends as the range starts does not, an instant at its start does.
    QList<Event> eventsInRange(const QDateTime& start, const QDateTime& end,
                               const QList<Calendar>& asked) override {
        ++queries;
        QList<Event> result;
        for (const Event& event : storedEvents) {
            const bool inCalendar = std::any_of(asked.begin(), asked.end(), [&](const Calendar& calendar) {
                return calendar.identifier == event.calendarIdentifier;
            });
            const bool overlaps = event.start <= end &&
                                  (event.end > start || (event.start == event.end && event.start >= start));
            if (inCalendar && overlaps)
                result.append(event);
        }
        return result;
    }

    // The default answer, naming `unreadableFiles` as files the store could not read.
    void fetchEvents(const QList<Range>& ranges, const QObject* context,
                     std::function<void(const EventsAnswer& answer)> done) override {
        EventStore::fetchEvents(ranges, context, [this, done](const EventsAnswer& answer) {
            EventsAnswer named = answer;
            named.unreadable = unreadableFiles;
            done(named);
        });
    }

    QList<Calendar> reminderLists() override { return lists; }
    std::optional<Calendar> defaultListForNewReminders() override { return defaultList; }
    // Answers on the next turn of the event loop, or, with `holdFetches`, when the test calls
    // answerFetch(): so fetches may end in any order.
    void fetchReminders(const std::optional<Calendar>& list, const QObject* context,
                        std::function<void(const QList<Reminder>&)> done) override {
        fetchedLists.append(list ? list->identifier : QStringLiteral("*"));
        PendingFetch fetch{list, ContextCallback<void(const QList<Reminder>&)>(context, std::move(done))};
        if (holdFetches) {
            pendingFetches.append(fetch);
            return;
        }
        QMetaObject::invokeMethod(
            this, [this, fetch] { fetch.done(remindersOf(fetch.list)); }, Qt::QueuedConnection);
    }
    // Answers the held fetch at `index` with the reminders stored now.
    void answerFetch(int index) {
        const PendingFetch fetch = pendingFetches.takeAt(index);
        fetch.done(remindersOf(fetch.list));
    }
    std::optional<Reminder> reminderWithIdentifier(const QString& identifier) override {
        for (const Reminder& reminder : std::as_const(storedReminders)) {
            if (reminder.identifier == identifier)
                return reminder;
        }
        return std::nullopt;
    }
    bool setReminderCompleted(const QString& identifier, bool completed, QString* error) override {
        saves.append(identifier + (completed ? QStringLiteral(":done") : QStringLiteral(":open")));
        if (!saveError.isEmpty()) {
            if (error)
                *error = saveError;
            return false;
        }
        for (Reminder& reminder : storedReminders) {
            if (reminder.identifier == identifier) {
                reminder.isCompleted = completed;
                return true;
            }
        }
        if (error)
            *error = QStringLiteral("no such reminder");
        return false;
    }
    std::optional<QString> addReminder(const QString& title, const Calendar& list, QString* error) override {
        saves.append(QStringLiteral("add:") + list.identifier + QLatin1Char(':') + title);
        if (!saveError.isEmpty()) {
            if (error)
                *error = saveError;
            return std::nullopt;
        }
        Reminder reminder;
        reminder.identifier = QStringLiteral("new-%1").arg(storedReminders.size() + 1);
        reminder.title = title;
        reminder.listIdentifier = list.identifier;
        reminder.listTitle = list.title;
        reminder.listColor = list.color;
        storedReminders.append(reminder);
        return reminder.identifier;
    }

    // The stored reminders of one list, or of all, in the order stored.
    QList<Reminder> remindersOf(const std::optional<Calendar>& list) const {
        QList<Reminder> result;
        for (const Reminder& reminder : storedReminders) {
            if (!list || reminder.listIdentifier == list->identifier)
                result.append(reminder);
        }
        return result;
    }

    struct PendingFetch {
        std::optional<Calendar> list;
        ContextCallback<void(const QList<Reminder>&)> done;
    };

    PermissionStatus events = PermissionStatus::notDetermined;
    PermissionStatus reminders = PermissionStatus::notDetermined;
    bool grantOnRequest = true;
    QString requestError;
    int requests = 0;
    QList<Calendar> calendars;
    QList<Event> storedEvents;
    QList<UnreadableFile> unreadableFiles;
    int queries = 0;

    QList<Calendar> lists;
    std::optional<Calendar> defaultList;
    QList<Reminder> storedReminders;
    // Each fetch's list identifier, "*" for all lists.
    QStringList fetchedLists;
    bool holdFetches = false;
    QList<PendingFetch> pendingFetches;
    // Non-empty: every save fails with this text.
    QString saveError;
    // "<id>:done", "<id>:open" and "add:<list>:<title>", in call order.
    QStringList saves;
};
