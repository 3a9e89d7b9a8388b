#include "platform/ContextCallback.h"
#include "platform/linux/calendar/FolderEventStore.h"

#include <algorithm>

namespace {

// yyyyMMdd for a day, yyyyMMddTHHmmssZ in UTC for a moment.
QString occurrenceText(const QDateTime& start, bool allDay) {
    const QDateTime moment = allDay ? start : start.toUTC();
    const QDate day = moment.date();
    const QTime clock = moment.time();
    const int fields[] = {day.year(), day.month(), day.day(), clock.hour(), clock.minute(), clock.second()};
    const int widths[] = {4, 2, 2, 2, 2, 2};
    char text[20];
    int at = 0;
    for (int n = 0; n < (allDay ? 3 : 6); ++n) {
        if (n == 3)
            text[at++] = 'T';
        int value = fields[n];
        for (int digit = widths[n] - 1; digit >= 0; --digit) {
            text[at + digit] = char('0' + value % 10);
            value /= 10;
        }
        at += widths[n];
    }
    if (!allDay)
        text[at++] = 'Z';
    return QString::fromLatin1(text, at);
}

} // namespace

bool FolderEventStore::calendarsWithEvents(const Reading& reading, QList<Calendar>& into) {
    for (const QString& folder : calendarFolders()) {
        Files files;
        if (!readFolder(folder, reading, files))
            return false;
        if (std::any_of(files.begin(), files.end(), [](const auto& file) { return file->hasEvents(); }))
            into.append(calendarOf(folder));
    }
    return true;
}

QList<EventStore::Calendar> FolderEventStore::eventCalendars() {
    QList<Calendar> result;
    calendarsWithEvents(now(), result);
    return result;
}

bool FolderEventStore::appendEvents(const Range& range, const Calendar& calendar, const Files& files,
                                    const Reading& reading, QList<Event>& into) {
    if (!range.start.isValid() || !range.end.isValid())
        return true;
    auto makeEvent = [&](const CalendarFile::Fields& fields, const QDateTime& from, const QDateTime& to,
                         bool allDay, const QDateTime& occurrence) {
        Event event;
        if (std::optional<QString> uid = fields[CalendarFile::Fields::uid]; uid && !uid->isEmpty()) {
            event.identifier = *uid + QLatin1Char('/') + occurrenceText(occurrence, allDay);
            event.externalIdentifier = std::move(uid);
        }
        event.title = fields[CalendarFile::Fields::title];
        event.start = from;
        event.end = to;
        event.isAllDay = allDay;
        event.location = fields[CalendarFile::Fields::location];
        event.notes = fields[CalendarFile::Fields::notes];
        event.url = fields.url;
        event.calendarIdentifier = calendar.identifier;
        event.calendarColor = calendar.color;
        return event;
    };
    // What the range holds, found first: the events are then made in a list of their size, not
    // moved again and again as it grows.
    struct Found {
        const CalendarFile::Fields* fields;
        QDateTime start;
        QDateTime end;
        bool allDay;
        QDateTime occurrence;
    };
    QList<Found> found;
    const CalendarFile::Limits expandLimits = limits();
    QList<CalendarFile::Occurrence> occurrences;
    for (const auto& file : files) {
        for (const CalendarFile::Single& single : file->singles()) {
            if (CalendarFile::overlaps(single.start, single.end, range.start, range.end))
                found.append({&single.fields, single.start, single.end, single.allDay, single.occurrence});
        }
        for (const CalendarFile::Series& series : file->series()) {
            if (reading.stopped())
                return false;
            occurrences.clear();
            if (!file->occurrences(series, range.start, range.end, expandLimits, m_quitting, occurrences))
                return false;
            for (const CalendarFile::Occurrence& occurrence : std::as_const(occurrences))
                found.append(
                    {&series.fields, occurrence.start, occurrence.end, series.allDay, occurrence.start});
        }
    }
    into.reserve(into.size() + found.size());
    for (const Found& each : std::as_const(found))
        into.append(makeEvent(*each.fields, each.start, each.end, each.allDay, each.occurrence));
    return true;
}

bool FolderEventStore::eventsOf(const Range& range, const QList<Calendar>& calendars, const Reading& reading,
                                QList<Event>& into) {
    if (currentStatus() != PermissionStatus::authorized)
        return true;
    for (const Calendar& calendar : calendars) {
        const QString folder = folderOf(calendar.identifier);
        if (folder.isEmpty())
            continue;
        const std::shared_ptr<FolderFiles> state = folderFiles(folder);
        const std::lock_guard<std::mutex> lock(state->lock);
        Files files;
        if (!filesOf(folder, *state, reading, files) || !appendEvents(range, calendar, files, reading, into))
            return false;
    }
    return true;
}

QList<EventStore::Event> FolderEventStore::eventsInRange(const QDateTime& start, const QDateTime& end,
                                                         const QList<Calendar>& calendars) {
    QList<Event> result;
    eventsOf({start, end}, calendars, now(), result);
    return result;
}

bool FolderEventStore::folderEvents(const QString& calendarFolder, const QList<Range>& ranges,
                                    const Reading& reading, FolderEvents& into) {
    const std::shared_ptr<FolderFiles> state = folderFiles(calendarFolder);
    const std::lock_guard<std::mutex> lock(state->lock);
    Files files;
    if (reading.stopped() || !filesOf(calendarFolder, *state, reading, files))
        return false;
    QString title;
    for (const auto& file : std::as_const(files)) {
        if (file->outcome() != CalendarFile::Outcome::refused)
            continue;
        if (title.isEmpty())
            title = calendarOf(calendarFolder).title;
        into.unreadable.append({title, file->path(), file->problem()});
    }
    if (std::none_of(files.begin(), files.end(), [](const auto& file) { return file->hasEvents(); }))
        return true;
    into.calendar = calendarOf(calendarFolder);
    for (const Range& range : ranges) {
        QList<Event> events;
        if (!appendEvents(range, *into.calendar, files, reading, events))
            return false;
        into.events.append(events);
    }
    return true;
}

// The folders of one fetchEvents: each one's part once read, and how many are still being read.
struct FolderEventStore::Gathering {
    std::mutex lock;
    std::condition_variable changed;
    QList<FolderEvents> parts;
    qsizetype remaining = 0;
    // The calendars and unreadable files of the answer given while a folder was still being read;
    // -1 before it.
    qsizetype answeredCalendars = -1;
    qsizetype answeredUnreadable = -1;

    // The answer of the folders read so far, in folder order.
    EventsAnswer answer(qsizetype ranges) const {
        EventsAnswer answer;
        for (const FolderEvents& part : parts) {
            if (part.read && part.calendar)
                answer.calendars.append(*part.calendar);
            if (part.read)
                answer.unreadable.append(part.unreadable);
        }
        if (answer.calendars.isEmpty())
            return answer;
        answer.events.resize(ranges);
        for (const FolderEvents& part : parts) {
            for (qsizetype n = 0; part.read && n < part.events.size() && n < ranges; ++n) {
                // The first folder's events are shared, not copied.
                if (answer.events[n].isEmpty())
                    answer.events[n] = part.events[n];
                else
                    answer.events[n].append(part.events[n]);
            }
        }
        return answer;
    }
    bool anyRead() const {
        return std::any_of(parts.begin(), parts.end(), [](const FolderEvents& part) { return part.read; });
    }
};

void FolderEventStore::fetchEvents(const QList<Range>& ranges, const QObject* context,
                                   std::function<void(const EventsAnswer& answer)> done) {
    const quint64 generation = ++m_eventsWanted;
    auto reply = ContextCallback<void(const EventsAnswer&)>(context, std::move(done));
    // Answers on the main thread, unless a newer fetch has started by then.
    auto answerWith = [this, generation, reply](const EventsAnswer& answer) {
        QMetaObject::invokeMethod(
            this,
            [this, generation, reply, answer] {
                if (generation == m_eventsWanted.load())
                    reply(answer);
            },
            Qt::QueuedConnection);
    };
    post([this, ranges, generation, answerWith] {
        const Reading reading{&m_quitting, &m_eventsWanted, generation};
        const QStringList folders = calendarFolders();
        if (folders.isEmpty()) {
            answerWith({});
            return;
        }
        auto gathering = std::make_shared<Gathering>();
        gathering->parts.resize(folders.size());
        gathering->remaining = folders.size();
        for (qsizetype n = 0; n < folders.size(); ++n) {
            m_workers.start([this, gathering, folder = folders[n], n, ranges, reading, answerWith] {
                FolderEvents part;
                part.read = folderEvents(folder, ranges, reading, part);
                const std::lock_guard<std::mutex> lock(gathering->lock);
                gathering->parts[n] = std::move(part);
                // The last folder answers, when the fetch is still wanted and the folders read
                // since an early answer add to it (a slow folder of to-dos adds nothing).
                if (--gathering->remaining == 0 && !reading.stopped()) {
                    EventsAnswer answer = gathering->answer(ranges.size());
                    if (answer.calendars.size() != gathering->answeredCalendars ||
                        answer.unreadable.size() != gathering->answeredUnreadable)
                        answerWith(answer);
                }
                gathering->changed.notify_all();
            });
        }
        // A slow folder does not hold back the others: after a while, what is read is answered.
        std::unique_lock<std::mutex> lock(gathering->lock);
        if (gathering->changed.wait_for(lock, std::chrono::milliseconds(slowFolderMs),
                                        [&] { return gathering->remaining == 0 || reading.stopped(); }))
            return;
        if (gathering->anyRead()) {
            EventsAnswer answer = gathering->answer(ranges.size());
            gathering->answeredCalendars = answer.calendars.size();
            gathering->answeredUnreadable = answer.unreadable.size();
            answerWith(answer);
        }
    });
}
