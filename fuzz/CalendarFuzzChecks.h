#pragma once

#include "platform/linux/calendar/CalendarFile.h"

#include <QByteArray>
#include <QDateTime>
#include <QSet>
#include <QStringList>
#include <QTimeZone>

#include <atomic>
#include <chrono>
#include <libical/ical.h>

// What must hold for any bytes read as a calendar file: each event's four texts (UID, SUMMARY,
// LOCATION, DESCRIPTION) are those libical reads for one of the file's events, parsing the same
// lines, although the reader takes them from the lines itself; and its series expand over a week
// within the limits. The fuzz target traps when the check fails; the corpus test replays the
// seeds through the same check in the ordinary build.
namespace CalendarFuzzChecks {

inline CalendarFile::Limits limits() {
    CalendarFile::Limits limits;
    limits.perFile = std::chrono::milliseconds(2000);
    limits.stepsPerSeries = 20000;
    limits.instancesPerSeries = 500;
    limits.zoneChanges = 2000;
    return limits;
}

// The texts of each event libical reads, four lines an event ("=" and the text, or "none").
inline QSet<QString> parsedTexts(const QByteArray& bytes, const CalendarFile::Limits& limits,
                                 const std::atomic<bool>& quitting) {
    QSet<QString> parsed;
    icalcomponent* root =
        CalendarFile::parse(bytes, CpuDeadline(limits.perFile), quitting, nullptr, CalendarFile::Lines::read);
    if (!root)
        return parsed;
    QList<icalcomponent*> calendars{root};
    if (icalcomponent_isa(root) != ICAL_VCALENDAR_COMPONENT) {
        calendars.clear();
        for (icalcomponent* inner = icalcomponent_get_first_component(root, ICAL_VCALENDAR_COMPONENT); inner;
             inner = icalcomponent_get_next_component(root, ICAL_VCALENDAR_COMPONENT))
            calendars.append(inner);
    }
    for (icalcomponent* calendar : std::as_const(calendars)) {
        for (icalcomponent* event = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); event;
             event = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
            QStringList texts;
            for (const icalproperty_kind kind : {ICAL_UID_PROPERTY, ICAL_SUMMARY_PROPERTY,
                                                 ICAL_LOCATION_PROPERTY, ICAL_DESCRIPTION_PROPERTY}) {
                icalproperty* property = icalcomponent_get_first_property(event, kind);
                const char* text = property ? icalvalue_get_text(icalproperty_get_value(property)) : nullptr;
                texts.append(property ? QLatin1Char('=') + QString::fromUtf8(text ? text : "")
                                      : QStringLiteral("none"));
            }
            parsed.insert(texts.join(QLatin1Char('\n')));
        }
    }
    icalcomponent_free(root);
    return parsed;
}

inline QString textsOf(const CalendarFile::Fields& fields) {
    QStringList texts;
    for (const auto text : {CalendarFile::Fields::uid, CalendarFile::Fields::title,
                            CalendarFile::Fields::location, CalendarFile::Fields::notes}) {
        const std::optional<QString> value = fields[text];
        texts.append(value ? QLatin1Char('=') + *value : QStringLiteral("none"));
    }
    return texts.join(QLatin1Char('\n'));
}

inline bool check(const QByteArray& bytes) {
    const CalendarFile::Limits fileLimits = limits();
    const std::atomic<bool> quitting{false};
    const std::unique_ptr<CalendarFile> file =
        CalendarFile::read(QStringLiteral("fuzz.ics"), bytes, fileLimits, quitting);
    const QSet<QString> parsed = parsedTexts(bytes, fileLimits, quitting);
    for (const CalendarFile::Single& single : file->singles()) {
        if (!parsed.contains(textsOf(single.fields)))
            return false;
    }
    const QDateTime from(QDate(2026, 1, 5), QTime(0, 0), QTimeZone::utc());
    for (const CalendarFile::Series& series : file->series()) {
        if (!parsed.contains(textsOf(series.fields)))
            return false;
        QList<CalendarFile::Occurrence> into;
        if (!file->occurrences(series, from, from.addDays(7), fileLimits, quitting, into))
            return false;
    }
    return true;
}

} // namespace CalendarFuzzChecks
