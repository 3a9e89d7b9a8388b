#include "platform/PlatformLog.h"
#include "platform/linux/calendar/CalendarFile.h"
#include "platform/linux/calendar/FileZones.h"
#include "platform/linux/calendar/RuleBounds.h"
#include "platform/linux/calendar/ZoneMoments.h"

#include <algorithm>
#include <cstdlib>

using ZoneMoments::fieldsIn;
using ZoneMoments::momentOf;

namespace {

// A walk of `rule` from DTSTART, moved on to `at` (wall-clock fields of the series) when it starts
// earlier: a series begun years ago is then not stepped through from its start each time. A rule
// with COUNT counts from DTSTART and is walked from there, as is one libical cannot move.
icalrecur_iterator* walkFrom(const icalrecurrencetype& rule, const icaltimetype& dtstart,
                             const icaltimetype& at) {
    icalrecur_iterator* walk = icalrecur_iterator_new(rule, dtstart);
    if (!walk || rule.count > 0 || icaltime_compare(at, dtstart) <= 0)
        return walk;
    if (icalrecur_iterator_set_start(walk, at))
        return walk;
    icalrecur_iterator_free(walk);
    return icalrecur_iterator_new(rule, dtstart);
}

// Excluded and moved moments go; a moment generated twice (by RRULE and RDATE, two equal rules,
// an RDATE on DTSTART) is one occurrence, the first one found.
void settle(QList<CalendarFile::Occurrence>& found, const CalendarFile::Series& series) {
    using Occurrence = CalendarFile::Occurrence;
    found.removeIf([&](const Occurrence& occurrence) {
        const qint64 at = occurrence.start.toSecsSinceEpoch();
        return series.excluded.contains(at) || series.moved.contains(at);
    });
    std::stable_sort(found.begin(), found.end(),
                     [](const Occurrence& a, const Occurrence& b) { return a.start < b.start; });
    found.erase(std::unique(found.begin(), found.end(),
                            [](const Occurrence& a, const Occurrence& b) { return a.start == b.start; }),
                found.end());
}

} // namespace

void CalendarFile::addSeries(icalcomponent* event, const FileZones& zones, const Fields& fields,
                             const Times& times) {
    Series series;
    series.fields = fields;
    series.allDay = times.allDay;
    series.zone = times.allDay ? nullptr : times.zone;
    series.startFields = times.startFields;
    series.start = times.start;
    series.durationSeconds = times.start.secsTo(times.end);
    // Whole days count for an all-day series only; a timed one lasts its seconds.
    if (times.allDay)
        series.durationDays = times.start.toLocalTime().date().daysTo(times.end.toLocalTime().date());
    addRules(event, zones, series);
    addExtraDates(event, zones, series);
    addExclusions(event, zones, series);
    // Moved occurrences written before their series.
    for (const Single& single : std::as_const(m_singles)) {
        if (single.movesAnOccurrence && single.fields.sameUid(fields))
            series.moved.insert(single.occurrence.toSecsSinceEpoch());
    }
    m_series.append(std::move(series));
}

void CalendarFile::addRules(icalcomponent* event, const FileZones& zones, Series& series) {
    for (icalproperty* rrule = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY); rrule;
         rrule = icalcomponent_get_next_property(event, ICAL_RRULE_PROPERTY)) {
        icalrecurrencetype rule = icalproperty_get_rrule(rrule);
        rule.rscale = nullptr;
        if (rule.freq == ICAL_NO_RECURRENCE) {
            ++m_dropped;
            continue;
        }
        if (!RuleBounds::walksInShortSteps(rule) && !series.givenUp) {
            series.givenUp = true;
            qCWarning(lcPlatform,
                      "calendar file %s: the series %s has a rule too costly to work out; it is not shown",
                      qUtf8Printable(m_path), qUtf8Printable(series.fields.uidOrNone()));
        }
        // UNTIL in UTC (as RFC 5545 asks for a zoned DTSTART) becomes the series' wall-clock time,
        // the time the rule is walked in.
        if (!icaltime_is_null_time(rule.until) && !rule.until.is_date) {
            const QDateTime until = zones.moment(rrule, rule.until, series.zone);
            if (series.allDay) {
                const QDate day = until.toLocalTime().date();
                rule.until = icaltime_null_time();
                rule.until.year = day.year();
                rule.until.month = day.month();
                rule.until.day = day.day();
                rule.until.is_date = 1;
            } else {
                rule.until = fieldsIn(until, series.zone);
            }
            rule.until.zone = nullptr;
        }
        char* text = icalrecurrencetype_as_string_r(&rule);
        if (text)
            series.rules.append(QByteArray(text));
        else
            ++m_dropped;
        free(text);
    }
}

void CalendarFile::addExtraDates(icalcomponent* event, const FileZones& zones, Series& series) {
    for (icalproperty* rdate = icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY); rdate;
         rdate = icalcomponent_get_next_property(event, ICAL_RDATE_PROPERTY)) {
        const icaldatetimeperiodtype value = icalproperty_get_rdate(rdate);
        Occurrence extra;
        if (!icaltime_is_null_time(value.period.start)) {
            extra.start = zones.moment(rdate, value.period.start, series.zone);
            extra.end = !icaltime_is_null_time(value.period.end)
                            ? zones.moment(rdate, value.period.end, series.zone)
                            : extra.start.addSecs(icaldurationtype_as_int(value.period.duration));
        } else {
            icaltimetype at = value.time;
            if (at.is_date && !series.allDay) {
                // A day on a timed series: that day at the series' time of day.
                at.is_date = 0;
                at.hour = series.startFields.hour;
                at.minute = series.startFields.minute;
                at.second = series.startFields.second;
                at.zone = nullptr;
                extra.start = momentOf(at, series.zone);
            } else {
                extra.start = zones.moment(rdate, at, series.zone);
            }
            extra.end = series.endOf(extra.start);
        }
        if (!extra.start.isValid()) {
            ++m_dropped;
            continue;
        }
        if (!extra.end.isValid() || extra.end < extra.start)
            extra.end = extra.start;
        series.extra.append(extra);
    }
}

void CalendarFile::addExclusions(icalcomponent* event, const FileZones& zones, Series& series) {
    for (icalproperty* exdate = icalcomponent_get_first_property(event, ICAL_EXDATE_PROPERTY); exdate;
         exdate = icalcomponent_get_next_property(event, ICAL_EXDATE_PROPERTY)) {
        const icaltimetype at = icalproperty_get_exdate(exdate);
        if (icaltime_is_null_time(at))
            continue;
        if (at.is_date && !series.allDay)
            series.excludedDays.insert(QDate(at.year, at.month, at.day));
        else if (const QDateTime moment = zones.moment(exdate, at, series.zone); moment.isValid())
            series.excluded.insert(moment.toSecsSinceEpoch());
    }
}

QDateTime CalendarFile::Series::endOf(const QDateTime& at) const {
    if (!allDay)
        return at.addSecs(durationSeconds);
    // Whole local days, also across a change to or from summer time.
    return at.toLocalTime().addDays(durationDays).toUTC();
}
bool CalendarFile::expand(const Series& series, const QDateTime& from, const QDateTime& to,
                          const Limits& limits, const std::atomic<bool>& quitting) const {
    QList<Occurrence> found;
    auto take = [&](const QDateTime& start, const QDateTime& end) {
        if (start <= to && end >= from)
            found.append({start, end});
    };
    auto giveUp = [&](const char* why) {
        series.givenUp = true;
        series.expanded.clear();
        qCWarning(lcPlatform, "calendar file %s: the series %s %s; it is not shown", qUtf8Printable(m_path),
                  qUtf8Printable(series.fields.uidOrNone()), why);
        return true;
    };
    // DTSTART is always the first occurrence.
    take(series.start, series.endOf(series.start));
    const CpuDeadline deadline(limits.perFile);
    // Where the walks may begin, in the series' wall-clock time: early enough for an occurrence
    // that starts before `from` and runs into it, and a day more for any offset between the two.
    const qint64 lasts = std::max<qint64>(series.durationSeconds, 0);
    const qint64 lastsDays = std::max<qint64>(series.durationDays, 0);
    icaltimetype walkStart = fieldsIn(from.addSecs(-lasts).addDays(-1 - lastsDays), series.zone);
    if (series.startFields.is_date) {
        walkStart.hour = walkStart.minute = walkStart.second = 0;
        walkStart.is_date = 1;
    }
    qint64 steps = 0;
    for (const QByteArray& text : series.rules) {
        const icalrecurrencetype rule = icalrecurrencetype_from_string(text.constData());
        if (rule.freq == ICAL_NO_RECURRENCE)
            continue;
        // A rule that ends before the walk would begin has nothing to add.
        if (!icaltime_is_null_time(rule.until) && rule.until.is_date == walkStart.is_date &&
            rule.count == 0 && icaltime_compare(rule.until, walkStart) < 0 &&
            icaltime_compare(series.startFields, walkStart) < 0)
            continue;
        icalrecur_iterator* walk = walkFrom(rule, series.startFields, walkStart);
        if (!walk)
            continue;
        const std::unique_ptr<icalrecur_iterator, void (*)(icalrecur_iterator*)> owner(
            walk, icalrecur_iterator_free);
        for (icaltimetype next = icalrecur_iterator_next(walk); !icaltime_is_null_time(next);
             next = icalrecur_iterator_next(walk)) {
            if (++steps % Limits::checkEvery == 0) {
                if (quitting.load(std::memory_order_relaxed))
                    return false;
                if (deadline.hasExpired())
                    return giveUp("takes too much work to work out");
            }
            if (steps > limits.stepsPerSeries)
                return giveUp("has too many occurrences before the days shown");
            const QDateTime start = momentOf(next, series.zone);
            if (!start.isValid())
                continue;
            if (start > to)
                break;
            if (!series.excludedDays.isEmpty() &&
                series.excludedDays.contains(QDate(next.year, next.month, next.day)))
                continue;
            take(start, series.endOf(start));
            if (found.size() > limits.instancesPerSeries)
                return giveUp("has too many occurrences in the days shown");
        }
    }
    for (const Occurrence& extra : series.extra)
        take(extra.start, extra.end);
    settle(found, series);
    series.expanded = std::move(found);
    return true;
}

bool CalendarFile::occurrences(const Series& series, const QDateTime& from, const QDateTime& to,
                               const Limits& limits, const std::atomic<bool>& quitting,
                               QList<Occurrence>& into) const {
    if (series.givenUp)
        return true;
    if (!series.expandedFrom.isValid() || from < series.expandedFrom || to > series.expandedTo) {
        // Expand a few days around the range, so that the next queries (the rest of the day, the
        // next two days) are answered from the same expansion.
        const QDateTime expandFrom = from.addDays(-1);
        const QDateTime expandTo = std::max(to, from.addDays(3)).addDays(1);
        series.expandedFrom = {};
        if (!expand(series, expandFrom, expandTo, limits, quitting))
            return false;
        if (series.givenUp)
            return true;
        series.expandedFrom = expandFrom;
        series.expandedTo = expandTo;
    }
    for (const Occurrence& occurrence : std::as_const(series.expanded)) {
        if (overlaps(occurrence.start, occurrence.end, from, to))
            into.append(occurrence);
    }
    return true;
}
