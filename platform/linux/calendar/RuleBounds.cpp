#include "platform/linux/calendar/RuleBounds.h"

#include <QDate>

#include <algorithm>

namespace {

int listSize(const short* values, int size) {
    int n = 0;
    while (n < size && values[n] != ICAL_RECURRENCE_ARRAY_MAX)
        ++n;
    return n;
}

double perYear(icalrecurrencetype_frequency frequency) {
    switch (frequency) {
    case ICAL_SECONDLY_RECURRENCE:
        return 366.0 * 86400;
    case ICAL_MINUTELY_RECURRENCE:
        return 366.0 * 1440;
    case ICAL_HOURLY_RECURRENCE:
        return 366.0 * 24;
    case ICAL_DAILY_RECURRENCE:
        return 366;
    case ICAL_WEEKLY_RECURRENCE:
        return 53;
    case ICAL_MONTHLY_RECURRENCE:
        return 12;
    default:
        return 1;
    }
}

} // namespace

namespace RuleBounds {

bool walksInShortSteps(const icalrecurrencetype& rule) {
    const bool finerThanADay = rule.freq == ICAL_SECONDLY_RECURRENCE ||
                               rule.freq == ICAL_MINUTELY_RECURRENCE || rule.freq == ICAL_HOURLY_RECURRENCE;
    if (!finerThanADay)
        return true;
    if (listSize(rule.by_month, ICAL_BY_MONTH_SIZE) || listSize(rule.by_month_day, ICAL_BY_MONTHDAY_SIZE) ||
        listSize(rule.by_year_day, ICAL_BY_YEARDAY_SIZE) || listSize(rule.by_week_no, ICAL_BY_WEEKNO_SIZE) ||
        listSize(rule.by_set_pos, ICAL_BY_SETPOS_SIZE))
        return false;
    const int days = listSize(rule.by_day, ICAL_BY_DAY_SIZE);
    for (int n = 0; n < days; ++n) {
        if (icalrecurrencetype_day_position(rule.by_day[n]) != 0)
            return false;
    }
    // Within a week, at most a week of steps.
    return !(days > 0 && rule.freq == ICAL_SECONDLY_RECURRENCE);
}

qint64 estimatedChanges(const icalrecurrencetype& rule, int fromYear) {
    if (rule.count > 0)
        return rule.count;
    const int toYear = icaltime_is_null_time(rule.until) ? QDate::currentDate().year() + 20 : rule.until.year;
    const double years = std::max(1, toYear - fromYear + 1);
    const double steps = perYear(rule.freq) / std::max<short>(1, rule.interval);
    const auto count = listSize;
    const int months = count(rule.by_month, ICAL_BY_MONTH_SIZE);
    const int weeks = count(rule.by_week_no, ICAL_BY_WEEKNO_SIZE);
    double spread = 1;
    // A list that expands multiplies; one that only limits is counted as if it expanded too.
    for (const int n : {count(rule.by_second, ICAL_BY_SECOND_SIZE),
                        count(rule.by_minute, ICAL_BY_MINUTE_SIZE), count(rule.by_hour, ICAL_BY_HOUR_SIZE),
                        count(rule.by_year_day, ICAL_BY_YEARDAY_SIZE), months, weeks})
        spread *= std::max(1, n);
    if (const int days = count(rule.by_day, ICAL_BY_DAY_SIZE)) {
        const bool wholeYear = rule.freq == ICAL_YEARLY_RECURRENCE && months == 0 && weeks == 0;
        spread *= days * (wholeYear ? 53 : rule.freq <= ICAL_MONTHLY_RECURRENCE ? 5 : 1);
    }
    if (const int days = count(rule.by_month_day, ICAL_BY_MONTHDAY_SIZE))
        spread *= days * (rule.freq == ICAL_YEARLY_RECURRENCE && months == 0 ? 12 : 1);
    const double total = years * steps * spread;
    return total > 1e15 ? qint64(1e15) : qint64(total);
}

bool isBounded(icalcomponent* vtimezone, qint64 limit) {
    for (icalcomponent* part = icalcomponent_get_first_component(vtimezone, ICAL_ANY_COMPONENT); part;
         part = icalcomponent_get_next_component(vtimezone, ICAL_ANY_COMPONENT)) {
        icalproperty* start = icalcomponent_get_first_property(part, ICAL_DTSTART_PROPERTY);
        const int fromYear = start ? icalproperty_get_dtstart(start).year : 1601;
        for (icalproperty* rrule = icalcomponent_get_first_property(part, ICAL_RRULE_PROPERTY); rrule;
             rrule = icalcomponent_get_next_property(part, ICAL_RRULE_PROPERTY)) {
            if (estimatedChanges(icalproperty_get_rrule(rrule), fromYear) > limit)
                return false;
        }
    }
    return true;
}

} // namespace RuleBounds
