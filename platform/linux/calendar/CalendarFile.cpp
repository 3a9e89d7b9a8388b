#include "platform/linux/calendar/CalendarFile.h"

#include "platform/linux/calendar/CalendarParse.h"
#include "platform/linux/calendar/CalendarText.h"
#include "platform/linux/calendar/EventTextTable.h"
#include "platform/linux/calendar/FileZones.h"
#include "platform/linux/calendar/ZoneMoments.h"

#include <utility>

icalcomponent* CalendarFile::parse(const QByteArray& bytes, const CpuDeadline& deadline,
                                   const std::atomic<bool>& quitting, bool* stopped, Lines lines) {
    return CalendarParse::parse(bytes, deadline, quitting, stopped, lines == Lines::read, nullptr);
}

std::unique_ptr<CalendarFile> CalendarFile::read(const QString& path, const QByteArray& bytes,
                                                 const Limits& limits, const std::atomic<bool>& quitting) {
    auto file = std::make_unique<CalendarFile>();
    file->m_path = path;
    const CpuDeadline deadline(limits.perFile);
    auto refuse = [&](const QString& why) {
        file->m_outcome = quitting.load() ? Outcome::abandoned : Outcome::refused;
        file->m_problem = why;
        file->m_singles.clear();
        file->m_series.clear();
        file->m_todos.clear();
        return std::move(file);
    };
    if (bytes.isEmpty())
        return refuse(QStringLiteral("it is empty"));
    // Read with the events' texts taken from their lines, unless the parsed calendars do not list
    // the events the lines began, each with the properties given for it (a file whose components
    // do not nest as they should, a property the parser could not read): then once more with the
    // parser reading every text.
    for (const bool takeTexts : {true, false}) {
        bool stopped = false;
        EventTextTable texts;
        // The tree goes as soon as its components are taken apart: its memory is then used again
        // for the next file's, where a tree kept per file leaves every file's in fresh pages.
        const std::unique_ptr<icalcomponent, void (*)(icalcomponent*)> tree(
            CalendarParse::parse(bytes, deadline, quitting, &stopped, true, takeTexts ? &texts : nullptr),
            icalcomponent_free);
        icalcomponent* root = tree.get();
        auto overTime = [&] {
            return QStringLiteral("it takes more than %1 s of work to read")
                .arg(double(limits.perFile.count()) / 1000.0);
        };
        if (stopped)
            return refuse(overTime());
        if (!root)
            return refuse(QStringLiteral("it is not iCalendar"));
        QList<icalcomponent*> calendars;
        if (icalcomponent_isa(root) == ICAL_VCALENDAR_COMPONENT) {
            calendars.append(root);
        } else {
            for (icalcomponent* inner = icalcomponent_get_first_component(root, ICAL_VCALENDAR_COMPONENT);
                 inner; inner = icalcomponent_get_next_component(root, ICAL_VCALENDAR_COMPONENT))
                calendars.append(inner);
        }
        if (calendars.isEmpty())
            return refuse(QStringLiteral("it holds no VCALENDAR"));
        if (takeTexts && !texts.matches(calendars))
            continue;
        int event = 0;
        for (icalcomponent* calendar : std::as_const(calendars)) {
            FileZones zones;
            file->addCalendar(calendar, limits, zones, deadline, quitting, takeTexts ? &texts : nullptr,
                              event);
            if (quitting.load())
                return refuse(QStringLiteral("the program is quitting"));
            if (deadline.hasExpired())
                return refuse(overTime());
        }
        const int errors = icalcomponent_count_errors(root);
        if (errors > 0 || file->m_dropped > 0) {
            file->m_outcome = Outcome::readInPart;
            file->m_problem =
                QStringLiteral("%1 component(s) dropped, %2 error(s)").arg(file->m_dropped).arg(errors);
        }
        break;
    }
    return file;
}

void CalendarFile::addCalendar(icalcomponent* calendar, const Limits& limits, FileZones& zones,
                               const CpuDeadline& deadline, const std::atomic<bool>& quitting,
                               const EventTextTable* texts, int& events) {
    int added = 0;
    auto stop = [&] {
        return ++added % Limits::checkEvery == 0 &&
               (quitting.load(std::memory_order_relaxed) || deadline.hasExpired());
    };
    zones.addZonesOf(calendar, limits.zoneChanges, m_path);
    // Room for every event at once: grown step by step, the list is moved into fresh memory again
    // and again.
    m_singles.reserve(m_singles.size() + icalcomponent_count_components(calendar, ICAL_VEVENT_COMPONENT));
    for (icalcomponent* event = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); event;
         event = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
        if (stop())
            return;
        addEvent(event, zones, texts, events++);
    }
    for (icalcomponent* todo = icalcomponent_get_first_component(calendar, ICAL_VTODO_COMPONENT); todo;
         todo = icalcomponent_get_next_component(calendar, ICAL_VTODO_COMPONENT)) {
        if (stop())
            return;
        addTodo(todo, zones);
    }
}

void CalendarFile::addTodo(icalcomponent* todo, const FileZones& zones) {
    Todo item;
    item.uid = CalendarText::stringOf(todo, ICAL_UID_PROPERTY).value_or(QString());
    item.title = CalendarText::stringOf(todo, ICAL_SUMMARY_PROPERTY);
    icalproperty* status = icalcomponent_get_first_property(todo, ICAL_STATUS_PROPERTY);
    item.completed = (status && icalproperty_get_status(status) == ICAL_STATUS_COMPLETED) ||
                     icalcomponent_get_first_property(todo, ICAL_COMPLETED_PROPERTY);
    if (icalproperty* due = icalcomponent_get_first_property(todo, ICAL_DUE_PROPERTY)) {
        const icaltimetype value = icalproperty_get_due(due);
        item.due = zones.moment(due, value, nullptr);
        item.dueIsDate = value.is_date && item.due.isValid();
    }
    m_todos.append(std::move(item));
}

void CalendarFile::addEvent(icalcomponent* event, const FileZones& zones, const EventTextTable* texts,
                            int index) {
    Times times;
    if (!timesOf(event, zones, times)) {
        ++m_dropped;
        return;
    }
    const Fields fields = fieldsOf(event, texts, index);
    icalproperty* recurrenceId = icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY);
    const bool recurs = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY) ||
                        icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY);
    if (recurrenceId || !recurs)
        addSingle(recurrenceId, zones, fields, times);
    else
        addSeries(event, zones, fields, times);
}

bool CalendarFile::timesOf(icalcomponent* event, const FileZones& zones, Times& into) {
    icalproperty* dtstart = icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
    const icaltimetype rawStart = dtstart ? icalproperty_get_dtstart(dtstart) : icaltime_null_time();
    if (icaltime_is_null_time(rawStart))
        return false;
    std::tie(into.startFields, into.zone) = zones.place(dtstart, rawStart, nullptr);
    into.allDay = into.startFields.is_date;
    into.start = ZoneMoments::momentOf(into.startFields, into.zone);
    if (!into.start.isValid())
        return false;
    // DTEND goes through the same lookup; without a TZID of its own it is in DTSTART's zone.
    QDateTime& endAt = into.end;
    if (icalproperty* dtend = icalcomponent_get_first_property(event, ICAL_DTEND_PROPERTY)) {
        endAt = zones.moment(dtend, icalproperty_get_dtend(dtend), into.zone);
    } else if (icalproperty* duration = icalcomponent_get_first_property(event, ICAL_DURATION_PROPERTY)) {
        const icaldurationtype length = icalproperty_get_duration(duration);
        if (into.allDay) {
            const int days = int(length.weeks * 7 + length.days) * (length.is_neg ? -1 : 1);
            endAt = into.start.toLocalTime().addDays(days).toUTC();
        } else {
            endAt = into.start.addSecs(icaldurationtype_as_int(length));
        }
    } else {
        endAt = into.allDay ? into.start.toLocalTime().addDays(1).toUTC() : into.start;
    }
    // An event never ends before it starts.
    if (!endAt.isValid() || endAt < into.start)
        endAt = into.start;
    return true;
}

CalendarFile::Fields CalendarFile::fieldsOf(icalcomponent* event, const EventTextTable* texts, int index) {
    Fields fields;
    fields.assign({EventTextTable::text(texts, index, Fields::uid, event),
                   EventTextTable::text(texts, index, Fields::title, event),
                   EventTextTable::text(texts, index, Fields::location, event),
                   EventTextTable::text(texts, index, Fields::notes, event)});
    if (const std::optional<QString> url = CalendarText::stringOf(event, ICAL_URL_PROPERTY)) {
        const QUrl parsed(url->trimmed(), QUrl::StrictMode);
        if (parsed.isValid() && !parsed.isEmpty())
            fields.url = parsed;
    }
    return fields;
}

void CalendarFile::addSingle(icalproperty* recurrenceId, const FileZones& zones, const Fields& fields,
                             const Times& times) {
    Single single{fields, times.start, times.end, times.allDay, times.start, false};
    if (recurrenceId) {
        const QDateTime moved =
            zones.moment(recurrenceId, icalproperty_get_recurrenceid(recurrenceId), times.zone);
        if (moved.isValid()) {
            single.movesAnOccurrence = true;
            single.occurrence = moved;
            for (Series& series : m_series) {
                if (series.fields.sameUid(fields))
                    series.moved.insert(moved.toSecsSinceEpoch());
            }
        }
    }
    m_singles.append(std::move(single));
}

bool CalendarFile::overlaps(const QDateTime& start, const QDateTime& end, const QDateTime& from,
                            const QDateTime& to) {
    if (start > to)
        return false;
    return end > from || (start == end && start >= from);
}
