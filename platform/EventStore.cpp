#include "platform/EventStore.h"

#include "platform/ContextCallback.h"

void EventStore::fetchEvents(const QList<Range>& ranges, const QObject* context,
                             std::function<void(const EventsAnswer& answer)> done) {
    EventsAnswer answer;
    answer.calendars = eventCalendars();
    if (!answer.calendars.isEmpty()) {
        for (const Range& range : ranges)
            answer.events.append(eventsInRange(range.start, range.end, answer.calendars));
    }
    ContextCallback<void(const EventsAnswer&)>(context, std::move(done))(answer);
}

void EventStore::fetchReminderLists(
    const QObject* context,
    std::function<void(const QList<Calendar>& lists, const std::optional<Calendar>& defaultList)> done) {
    const QList<Calendar> lists = reminderLists();
    const std::optional<Calendar> defaultList = defaultListForNewReminders();
    ContextCallback<void(const QList<Calendar>&, const std::optional<Calendar>&)>(context, std::move(done))(
        lists, defaultList);
}
