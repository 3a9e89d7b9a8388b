// libFuzzer target: any bytes as a calendar file, read, its events' texts made into strings and
// its series expanded over a week. Each event's texts must be those libical reads for one of the
// file's events (the reader takes them from the lines itself).
#include "platform/linux/calendar/CalendarFile.h"

#include <QLoggingCategory>
#include <QSet>
#include <QStringList>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = [] {
        QLoggingCategory::setFilterRules(QStringLiteral("*.warning=false\n*.debug=false"));
        return true;
    }();
    (void)quiet;
    CalendarFile::Limits limits;
    limits.perFile = std::chrono::milliseconds(2000);
    limits.stepsPerSeries = 20000;
    limits.instancesPerSeries = 500;
    limits.zoneChanges = 2000;
    const std::atomic<bool> quitting{false};
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::unique_ptr<CalendarFile> file =
        CalendarFile::read(QStringLiteral("fuzz.ics"), bytes, limits, quitting);
    QSet<QString> parsed;
    // The lines reading uses, all given to libical.
    if (icalcomponent* root = CalendarFile::parse(bytes, QDeadlineTimer(limits.perFile), quitting, nullptr,
                                                  CalendarFile::Lines::read)) {
        QList<icalcomponent*> calendars{root};
        if (icalcomponent_isa(root) != ICAL_VCALENDAR_COMPONENT) {
            calendars.clear();
            for (icalcomponent* inner = icalcomponent_get_first_component(root, ICAL_VCALENDAR_COMPONENT);
                 inner; inner = icalcomponent_get_next_component(root, ICAL_VCALENDAR_COMPONENT))
                calendars.append(inner);
        }
        for (icalcomponent* calendar : std::as_const(calendars)) {
            for (icalcomponent* event = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
                 event; event = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
                QStringList texts;
                for (const icalproperty_kind kind : {ICAL_UID_PROPERTY, ICAL_SUMMARY_PROPERTY,
                                                     ICAL_LOCATION_PROPERTY, ICAL_DESCRIPTION_PROPERTY}) {
                    icalproperty* property = icalcomponent_get_first_property(event, kind);
                    const char* text =
                        property ? icalvalue_get_text(icalproperty_get_value(property)) : nullptr;
                    texts.append(property ? QLatin1Char('=') + QString::fromUtf8(text ? text : "")
                                          : QStringLiteral("none"));
                }
                parsed.insert(texts.join(QLatin1Char('\n')));
            }
        }
        icalcomponent_free(root);
    }
    auto check = [&](const CalendarFile::Fields& fields) {
        QStringList texts;
        for (const auto text : {CalendarFile::Fields::uid, CalendarFile::Fields::title,
                                CalendarFile::Fields::location, CalendarFile::Fields::notes}) {
            const std::optional<QString> value = fields[text];
            texts.append(value ? QLatin1Char('=') + *value : QStringLiteral("none"));
        }
        if (!parsed.contains(texts.join(QLatin1Char('\n'))))
            __builtin_trap();
    };
    for (const CalendarFile::Single& single : file->singles())
        check(single.fields);
    const QDateTime from(QDate(2026, 1, 5), QTime(0, 0), Qt::UTC);
    for (const CalendarFile::Series& series : file->series()) {
        QList<CalendarFile::Occurrence> into;
        check(series.fields);
        file->occurrences(series, from, from.addDays(7), limits, quitting, into);
    }
    return 0;
}
