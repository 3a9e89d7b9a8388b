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

EventStore::SaveAnswer EventStore::completeNow(const QString& identifier, bool completed) {
    if (!reminderWithIdentifier(identifier))
        return {};
    SaveAnswer answer;
    answer.kind = setReminderCompleted(identifier, completed, &answer.error) ? SaveAnswer::Kind::saved
                                                                             : SaveAnswer::Kind::failed;
    return answer;
}

EventStore::SaveAnswer EventStore::addNow(const QString& title, const std::optional<Calendar>& list) {
    const std::optional<Calendar> target = list ? list : defaultListForNewReminders();
    if (!target)
        return {};
    SaveAnswer answer;
    answer.kind =
        addReminder(title, *target, &answer.error) ? SaveAnswer::Kind::saved : SaveAnswer::Kind::failed;
    return answer;
}

void EventStore::saveReminderCompleted(const QString& identifier, bool completed, const QObject* context,
                                       std::function<void(const SaveAnswer& answer)> done) {
    const SaveAnswer answer = completeNow(identifier, completed);
    ContextCallback<void(const SaveAnswer&)>(context, std::move(done))(answer);
}

void EventStore::saveNewReminder(const QString& title, const std::optional<Calendar>& list,
                                 const QObject* context, std::function<void(const SaveAnswer& answer)> done) {
    const SaveAnswer answer = addNow(title, list);
    ContextCallback<void(const SaveAnswer&)>(context, std::move(done))(answer);
}
