#pragma once

#include "platform/ContextCallback.h"
#include "platform/EventStore.h"

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

    PermissionStatus events = PermissionStatus::notDetermined;
    PermissionStatus reminders = PermissionStatus::notDetermined;
    bool grantOnRequest = true;
    QString requestError;
    int requests = 0;
    QList<Calendar> calendars;
    QList<Event> storedEvents;
    int queries = 0;
};
