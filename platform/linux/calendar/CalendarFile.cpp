#include "platform/linux/calendar/CalendarFile.h"

#include "platform/PlatformLog.h"

#include <QHash>
#include <QVarLengthArray>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <utility>

namespace {

// How often the parser's line source, the component loops and the rule walk look at the clock
// and the quit flag.
constexpr int checkEvery = 512;

// The unescaped text of a property (empty when it has none); null when there is no such property.
const char* textOf(icalcomponent* component, icalproperty_kind kind) {
    icalproperty* property = icalcomponent_get_first_property(component, kind);
    if (!property)
        return nullptr;
    const char* text = nullptr;
    switch (kind) {
    case ICAL_SUMMARY_PROPERTY:
        text = icalproperty_get_summary(property);
        break;
    case ICAL_LOCATION_PROPERTY:
        text = icalproperty_get_location(property);
        break;
    case ICAL_DESCRIPTION_PROPERTY:
        text = icalproperty_get_description(property);
        break;
    case ICAL_UID_PROPERTY:
        text = icalproperty_get_uid(property);
        break;
    case ICAL_URL_PROPERTY:
        text = icalproperty_get_url(property);
        break;
    default:
        break;
    }
    return text ? text : "";
}

std::optional<QString> stringOf(icalcomponent* component, icalproperty_kind kind) {
    const char* text = textOf(component, kind);
    if (!text)
        return std::nullopt;
    return QString::fromUtf8(text);
}

QByteArray icalText(icalcomponent* component) {
    char* text = icalcomponent_as_ical_string_r(component);
    const QByteArray bytes(text ? text : "");
    free(text);
    return bytes;
}

// Zone objects are shared by every file and every reader thread, and libical works out a zone's
// changes lazily, on the first conversion that needs them: every lookup of a shared zone and every
// conversion through one holds this lock.
std::mutex& zoneLock() {
    static std::mutex lock;
    return lock;
}

// One zone object per distinct VTIMEZONE, shared by every file that carries the same text: libical
// works out a zone's changes on first use, and doing so once instead of once per file is most of
// the cost of reading a folder of files from one client. Lives for the process, and is never
// destroyed: a reader still running as the process exits may use it (so are the other caches).
icaltimezone* sharedZone(icalcomponent* vtimezone) {
    static auto& zones = *new QHash<QByteArray, icaltimezone*>;
    const QByteArray key = icalText(vtimezone);
    const std::lock_guard<std::mutex> lock(zoneLock());
    icaltimezone*& zone = zones[key];
    if (!zone) {
        zone = icaltimezone_new();
        if (!icaltimezone_set_component(zone, icalcomponent_new_clone(vtimezone))) {
            icaltimezone_free(zone, 1);
            zone = nullptr;
            zones.remove(key);
        }
    }
    return zone;
}

// The system's zone of a name: an Olson name, or one with a prefix before it, as libical writes
// its own ("/freeassociation.sourceforge.net/Tzfile/Europe/Berlin"). Null when there is none.
icaltimezone* systemZone(const QByteArray& name) {
    static auto& known = *new QHash<QByteArray, icaltimezone*>;
    const std::lock_guard<std::mutex> lock(zoneLock());
    const auto found = known.constFind(name);
    if (found != known.constEnd())
        return *found;
    icaltimezone* zone = icaltimezone_get_builtin_timezone(name.constData());
    // The tail after each slash, longest first: a prefix of any depth falls away.
    for (qsizetype slash = name.indexOf('/'); !zone && slash >= 0; slash = name.indexOf('/', slash + 1)) {
        const QByteArray tail = name.mid(slash + 1);
        if (tail.contains('/'))
            zone = icaltimezone_get_builtin_timezone(tail.constData());
    }
    known.insert(name, zone);
    return zone;
}

int listSize(const short* values, int size) {
    int n = 0;
    while (n < size && values[n] != ICAL_RECURRENCE_ARRAY_MAX)
        ++n;
    return n;
}

// Whether libical's walk of a rule stays short between two occurrences. The walk steps one unit of
// FREQ at a time until every BY part matches, and cannot be interrupted: a rule finer than a day
// with a part that matches only some days of the year (BYMONTH, BYMONTHDAY, BYYEARDAY, BYWEEKNO,
// BYSETPOS, or BYDAY with a position) may step for a year or, where the parts never meet (30
// February), far longer; every second of a week is already half a million steps.
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

// An upper bound of the changes a zone rule yields from its DTSTART to the years that matter.
qint64 estimatedChanges(const icalrecurrencetype& rule, int fromYear) {
    if (rule.count > 0)
        return rule.count;
    const int toYear = icaltime_is_null_time(rule.until) ? QDate::currentDate().year() + 20 : rule.until.year;
    const double years = std::max(1, toYear - fromYear + 1);
    double perYear = 1;
    switch (rule.freq) {
    case ICAL_SECONDLY_RECURRENCE:
        perYear = 366.0 * 86400;
        break;
    case ICAL_MINUTELY_RECURRENCE:
        perYear = 366.0 * 1440;
        break;
    case ICAL_HOURLY_RECURRENCE:
        perYear = 366.0 * 24;
        break;
    case ICAL_DAILY_RECURRENCE:
        perYear = 366;
        break;
    case ICAL_WEEKLY_RECURRENCE:
        perYear = 53;
        break;
    case ICAL_MONTHLY_RECURRENCE:
        perYear = 12;
        break;
    default:
        break;
    }
    perYear /= std::max<short>(1, rule.interval);
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
    const double total = years * perYear * spread;
    return total > 1e15 ? qint64(1e15) : qint64(total);
}

// Whether libical can work out the zone's changes within the limit.
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

QDateTime localMidnight(int year, int month, int day) {
    return QDateTime(QDate(year, month, day), QTime(0, 0), Qt::LocalTime).toUTC();
}

// Fields in a zone, or floating (null zone: local wall time), as a moment in UTC.
QDateTime momentOf(const icaltimetype& fields, const icaltimezone* zone) {
    if (icaltime_is_null_time(fields))
        return {};
    if (fields.is_date)
        return localMidnight(fields.year, fields.month, fields.day);
    const QDate date(fields.year, fields.month, fields.day);
    const QTime clock(fields.hour, fields.minute, fields.second);
    if (zone == icaltimezone_get_utc_timezone())
        return QDateTime(date, clock, Qt::UTC);
    if (zone) {
        // The same wall-clock times come again and again (a day's meetings, a series' hour, the
        // next refresh): each is worked out once per zone. Zones live as long as the process.
        static auto& known = *new QHash<std::pair<const icaltimezone*, qint64>, qint64>;
        const qint64 wallClock =
            ((((qint64(fields.year) * 13 + fields.month) * 32 + fields.day) * 24 + fields.hour) * 60 +
             fields.minute) *
                60 +
            fields.second;
        const std::lock_guard<std::mutex> lock(zoneLock());
        auto found = known.constFind({zone, wallClock});
        if (found == known.constEnd()) {
            if (known.size() > 65536)
                known.clear();
            icaltimetype plain = fields;
            plain.zone = nullptr;
            found = known.insert({zone, wallClock},
                                 qint64(icaltime_as_timet_with_zone(plain, const_cast<icaltimezone*>(zone))));
        }
        return QDateTime::fromSecsSinceEpoch(*found, Qt::UTC);
    }
    return QDateTime(date, clock, Qt::LocalTime).toUTC();
}

// A moment as the fields of a zone's wall-clock time (null zone: local time), without a zone.
icaltimetype fieldsIn(const QDateTime& moment, icaltimezone* zone) {
    icaltimetype fields;
    if (zone) {
        const std::lock_guard<std::mutex> lock(zoneLock());
        fields = icaltime_from_timet_with_zone(time_t(moment.toSecsSinceEpoch()), 0,
                                               icaltimezone_get_utc_timezone());
        fields = icaltime_convert_to_zone(fields, zone);
    } else {
        const QDateTime local = moment.toLocalTime();
        fields = icaltime_null_time();
        fields.year = local.date().year();
        fields.month = local.date().month();
        fields.day = local.date().day();
        fields.hour = local.time().hour();
        fields.minute = local.time().minute();
        fields.second = local.time().second();
    }
    fields.zone = nullptr;
    return fields;
}

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

const char* tzidOf(icalproperty* property) {
    icalparameter* tzid =
        property ? icalproperty_get_first_parameter(property, ICAL_TZID_PARAMETER) : nullptr;
    return tzid ? icalparameter_get_tzid(tzid) : nullptr;
}

// The length of a content line's name: up to its first ':' or ';'.
qsizetype nameLength(const char* at, const char* end) {
    const char* name = at;
    while (at < end && *at != ':' && *at != ';' && *at != '\n' && *at != '\r')
        ++at;
    return at - name;
}

bool isName(const char* at, qsizetype length, const char* name) {
    return qsizetype(strlen(name)) == length && qstrnicmp(name, at, size_t(length)) == 0;
}

// The content lines reading uses: the components' bounds and the properties read from events,
// to-dos and zones. The rest (DTSTAMP, attendees, alarms' lines, attachments, X- properties) is
// only ever written back, never read, and costs the parser as much as what is read.
struct ReadLine {
    const char* name;
    // The property the parser makes of the line; ICAL_NO_PROPERTY for BEGIN and END.
    icalproperty_kind kind;
};

const ReadLine* readLine(const char* at, qsizetype length) {
    static const ReadLine lines[] = {
        {"BEGIN", ICAL_NO_PROPERTY},
        {"END", ICAL_NO_PROPERTY},
        {"DTSTART", ICAL_DTSTART_PROPERTY},
        {"DTEND", ICAL_DTEND_PROPERTY},
        {"SUMMARY", ICAL_SUMMARY_PROPERTY},
        {"UID", ICAL_UID_PROPERTY},
        {"LOCATION", ICAL_LOCATION_PROPERTY},
        {"DESCRIPTION", ICAL_DESCRIPTION_PROPERTY},
        {"RRULE", ICAL_RRULE_PROPERTY},
        {"EXDATE", ICAL_EXDATE_PROPERTY},
        {"RDATE", ICAL_RDATE_PROPERTY},
        {"URL", ICAL_URL_PROPERTY},
        {"RECURRENCE-ID", ICAL_RECURRENCEID_PROPERTY},
        {"DURATION", ICAL_DURATION_PROPERTY},
        {"STATUS", ICAL_STATUS_PROPERTY},
        {"COMPLETED", ICAL_COMPLETED_PROPERTY},
        {"DUE", ICAL_DUE_PROPERTY},
        {"TZID", ICAL_TZID_PROPERTY},
        {"TZOFFSETFROM", ICAL_TZOFFSETFROM_PROPERTY},
        {"TZOFFSETTO", ICAL_TZOFFSETTO_PROPERTY},
        {"TZNAME", ICAL_TZNAME_PROPERTY},
    };
    const auto found = std::find_if(std::begin(lines), std::end(lines),
                                    [&](const ReadLine& line) { return isName(at, length, line.name); });
    return found == std::end(lines) ? nullptr : found;
}

const char* endOfLine(const char* at, const char* end) {
    const void* newline = memchr(at, '\n', size_t(end - at));
    return newline ? static_cast<const char*>(newline) + 1 : end;
}

bool isContinuation(const char* at, const char* end) {
    return at < end && (*at == ' ' || *at == '\t');
}

// A line without its line break.
QByteArrayView content(const char* at, const char* end) {
    while (end > at && (end[-1] == '\n' || end[-1] == '\r'))
        --end;
    return QByteArrayView(at, end - at);
}

// Unescapes the value of a text property's unfolded line (name, parameters, value) onto `into`,
// with a NUL after it. False, with `into` as it was, for a line the parser is left to read: a
// parameter without "=" or with a quote left open, a VALUE or ENCODING parameter, an escape other
// than "\\" "\;" "\," "\"" and the control characters n, t, r, b, f, a NUL byte, or no value
// once blanks are trimmed (the parser then drops the property). What is taken reads as the parser reads it.
bool appendTextValue(QByteArrayView line, qsizetype nameLength, QByteArray& into) {
    // The parser reads a line only up to a NUL byte.
    if (line.contains('\0'))
        return false;
    qsizetype at = nameLength;
    while (at < line.size() && line[at] == ';') {
        const qsizetype name = ++at;
        while (at < line.size() && line[at] != '=' && line[at] != ':' && line[at] != ';' && line[at] != '"')
            ++at;
        if (at >= line.size() || line[at] != '=')
            return false;
        const QByteArrayView parameter = line.sliced(name, at - name);
        if (parameter.compare("VALUE", Qt::CaseInsensitive) == 0 ||
            parameter.compare("ENCODING", Qt::CaseInsensitive) == 0)
            return false;
        if (++at < line.size() && line[at] == '"') {
            const qsizetype close = line.indexOf('"', at + 1);
            if (close < 0)
                return false;
            at = close + 1;
        }
        while (at < line.size() && line[at] != ';' && line[at] != ':') {
            if (line[at] == '"')
                return false;
            ++at;
        }
    }
    if (at >= line.size() || line[at] != ':')
        return false;
    qsizetype end = line.size();
    ++at;
    // Blanks as the C library counts them.
    auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (at < end && blank(line[at]))
        ++at;
    while (end > at && blank(line[end - 1]))
        --end;
    if (at == end)
        return false;
    const qsizetype start = into.size();
    while (at < end) {
        const qsizetype escape = line.sliced(at, end - at).indexOf('\\');
        const qsizetype plain = escape < 0 ? end - at : escape;
        into.append(line.data() + at, plain);
        at += plain;
        if (at == end)
            break;
        char unescaped = 0;
        switch (at + 1 < end ? line[at + 1] : 0) {
        case 'n':
        case 'N':
            unescaped = '\n';
            break;
        case 't':
        case 'T':
            unescaped = '\t';
            break;
        case 'r':
        case 'R':
            unescaped = '\r';
            break;
        case 'b':
        case 'B':
            unescaped = '\b';
            break;
        case 'f':
        case 'F':
            unescaped = '\f';
            break;
        case '\\':
        case ';':
        case ',':
        case '"':
            unescaped = line[at + 1];
            break;
        default:
            into.truncate(start);
            return false;
        }
        into.append(unescaped);
        at += 2;
    }
    into.append('\0');
    return true;
}

// The texts of events taken from their lines while the file is parsed, instead of by the parser:
// UID, SUMMARY, LOCATION and DESCRIPTION are most of a calendar's bytes and cost the parser more
// than the rest of an event together. Events are numbered in the order of their BEGIN lines
// directly inside a VCALENDAR at the top, which is the order the calendars list their events in.
struct EventTextTable {
    // Where a text starts in `bytes`, or where it is not taken from the line.
    enum : int { absent = -1, parsed = -2 };
    // The texts, each with a NUL after it.
    QByteArray bytes;
    struct Event {
        // Its texts, in the order of Fields::Text.
        std::array<int, 4> texts{absent, absent, absent, absent};
        // The properties of its own given to the parser, and their kinds in order folded into one
        // number: the parsed event must have as many of the same kinds, or it is not the event
        // the texts were taken from.
        int properties = 0;
        quint32 kinds = 0;

        void add(icalproperty_kind kind) {
            ++properties;
            kinds = kinds * 31 + quint32(kind);
        }
    };
    QList<Event> events;

    // Whether the parsed calendars list the events the lines began, each with its properties.
    bool matches(const QList<icalcomponent*>& calendars) const {
        qsizetype event = 0;
        for (icalcomponent* calendar : calendars) {
            for (icalcomponent* each = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
                 each; each = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT), ++event) {
                Event read;
                for (icalproperty* property = icalcomponent_get_first_property(each, ICAL_ANY_PROPERTY);
                     property; property = icalcomponent_get_next_property(each, ICAL_ANY_PROPERTY))
                    read.add(icalproperty_isa(property));
                if (event >= events.size() || events[event].properties != read.properties ||
                    events[event].kinds != read.kinds)
                    return false;
            }
        }
        return event == events.size();
    }
};

// The text `which` (in the order of Fields::Text) of the `index`-th event, `component`: taken from
// its line, or the parser's reading of it when there is no table or the line was left to it.
const char* eventText(const EventTextTable* table, int index, int which, icalcomponent* component) {
    const int at = table ? table->events[index].texts[which] : EventTextTable::parsed;
    if (at >= 0)
        return table->bytes.constData() + at;
    static constexpr icalproperty_kind kinds[] = {ICAL_UID_PROPERTY, ICAL_SUMMARY_PROPERTY,
                                                  ICAL_LOCATION_PROPERTY, ICAL_DESCRIPTION_PROPERTY};
    return at == EventTextTable::parsed ? textOf(component, kinds[which]) : nullptr;
}

} // namespace

struct CalendarFile::EventTexts : EventTextTable {};

namespace {

// Reads the bytes a line at a time for the parser, stopping early when told to, and leaving out
// the lines reading does not use when told to; then also taking the events' texts when given a
// table for them.
struct LineSource {
    const char* at = nullptr;
    const char* end = nullptr;
    const QDeadlineTimer* deadline = nullptr;
    const std::atomic<bool>* quitting = nullptr;
    bool onlyReadLines = false;
    EventTextTable* texts = nullptr;
    int lines = 0;
    bool stopped = false;
    // Whether the next call starts a line, or goes on with one longer than the parser's buffer.
    bool atLineStart = true;
    // The components open at this line: 'c' a VCALENDAR, 'e' a VEVENT, 'o' any other.
    QVarLengthArray<char, 8> open;
    QByteArray unfolded;

    bool inEventOfCalendar() const { return open.size() == 2 && open[0] == 'c' && open[1] == 'e'; }

    // The component a BEGIN line opens, named as the parser names it: by the unfolded value as
    // it stands, its leading blanks included, and by the first component name it starts with
    // ("VEVENT?" opens a VEVENT, " VEVENT" none).
    char kindOf(const char* line, qsizetype length) {
        if (line + length >= end || line[length] != ':')
            return 'o';
        const char* after = endOfLine(line, end);
        unfolded.clear();
        unfolded.append(content(line + length + 1, after));
        while (isContinuation(after, end)) {
            const char* next = endOfLine(after, end);
            unfolded.append(content(after + 1, next));
            after = next;
        }
        switch (icalcomponent_string_to_kind(unfolded.constData())) {
        case ICAL_VCALENDAR_COMPONENT:
            return 'c';
        case ICAL_VEVENT_COMPONENT:
            return 'e';
        default:
            return 'o';
        }
    }

    // Follows the lines given to the parser: BEGIN and END lines, numbering the events of
    // top-level calendars, and the properties of those events.
    void follow(const char* line, qsizetype length, icalproperty_kind kind) {
        const bool begins = isName(line, length, "BEGIN");
        if (!begins && !isName(line, length, "END")) {
            if (texts && inEventOfCalendar())
                texts->events.last().add(kind);
            return;
        }
        if (!begins) {
            if (!open.isEmpty())
                open.removeLast();
            return;
        }
        open.append(kindOf(line, length));
        if (texts && inEventOfCalendar())
            texts->events.append(EventTextTable::Event{});
    }

    // Takes the line at `at`, one of an event's texts, with its continuation lines: true when it
    // is left out of the parse (taken, or a repeat of one taken).
    bool take(qsizetype length) {
        int which = -1;
        static const char* const names[] = {"UID", "SUMMARY", "LOCATION", "DESCRIPTION"};
        for (int n = 0; n < 4 && which < 0; ++n) {
            if (isName(at, length, names[n]))
                which = n;
        }
        if (which < 0)
            return false;
        int& slot = texts->events.last().texts[which];
        if (slot == EventTextTable::parsed)
            return false;
        const char* line = at;
        const char* after = endOfLine(line, end);
        QByteArrayView whole = content(line, after);
        if (isContinuation(after, end)) {
            unfolded.clear();
            unfolded.append(whole);
            while (isContinuation(after, end)) {
                const char* next = endOfLine(after, end);
                unfolded.append(content(after + 1, next));
                after = next;
            }
            whole = unfolded;
        }
        // The first of a property counts, as the parser's first property would.
        if (slot == EventTextTable::absent) {
            const qsizetype start = texts->bytes.size();
            // Positions are ints: texts past them (a file of gigabytes) are the parser's.
            if (start + whole.size() >= std::numeric_limits<int>::max() ||
                !appendTextValue(whole, length, texts->bytes)) {
                slot = EventTextTable::parsed;
                return false;
            }
            slot = int(start);
        }
        at = after;
        return true;
    }
};

char* nextLine(char* out, size_t size, void* data) {
    auto* source = static_cast<LineSource*>(data);
    if (source->onlyReadLines && source->atLineStart) {
        // A line left out goes with its folded continuation lines.
        bool skipping = false;
        while (source->at < source->end) {
            if (isContinuation(source->at, source->end)) {
                if (!skipping)
                    break;
            } else {
                const qsizetype length = nameLength(source->at, source->end);
                if (source->texts && source->inEventOfCalendar() && source->take(length)) {
                    skipping = true;
                    continue;
                }
                if (const ReadLine* line = readLine(source->at, length)) {
                    source->follow(source->at, length, line->kind);
                    break;
                }
            }
            skipping = true;
            source->at = endOfLine(source->at, source->end);
        }
    }
    if (source->at >= source->end || size < 2)
        return nullptr;
    if (++source->lines % checkEvery == 0 &&
        (source->quitting->load(std::memory_order_relaxed) || source->deadline->hasExpired())) {
        source->stopped = true;
        source->at = source->end;
        return nullptr;
    }
    const size_t room = std::min(size - 1, size_t(source->end - source->at));
    const void* newline = memchr(source->at, '\n', room);
    const size_t length = newline ? size_t(static_cast<const char*>(newline) - source->at) + 1 : room;
    memcpy(out, source->at, length);
    out[length] = '\0';
    source->at += length;
    source->atLineStart = newline != nullptr;
    return out;
}

icalcomponent* parseLines(const QByteArray& bytes, const QDeadlineTimer& deadline,
                          const std::atomic<bool>& quitting, bool* stopped, bool onlyReadLines,
                          EventTextTable* texts) {
    LineSource source;
    source.at = bytes.constData();
    source.end = bytes.constData() + bytes.size();
    source.deadline = &deadline;
    source.quitting = &quitting;
    source.onlyReadLines = onlyReadLines;
    source.texts = texts;
    icalparser* parser = icalparser_new();
    icalparser_set_gen_data(parser, &source);
    icalcomponent* root = icalparser_parse(parser, nextLine);
    // Components a stop left open go with the parser.
    icalparser_free(parser);
    if (stopped)
        *stopped = source.stopped;
    if (source.stopped && root) {
        icalcomponent_free(root);
        root = nullptr;
    }
    return root;
}

} // namespace

// The zones of one file: its usable VTIMEZONEs as shared zones, and the names of those that are not.
struct CalendarFile::Zones {
    QHash<QByteArray, icaltimezone*> own;
    QSet<QByteArray> unusable;

    // The zone a TZID names; UTC for an unusable one; null when nothing by that name is known.
    icaltimezone* resolve(const char* tzid) const {
        if (!tzid || !*tzid)
            return nullptr;
        const QByteArray name(tzid);
        if (icaltimezone* zone = own.value(name))
            return zone;
        if (unusable.contains(name))
            return icaltimezone_get_utc_timezone();
        return systemZone(name);
    }
    // A date-time value of `property`: its fields without a zone and the zone they are in: UTC,
    // its TZID's zone, else `floating` (the zone of the event it belongs to, null for local time).
    std::pair<icaltimetype, icaltimezone*> place(icalproperty* property, icaltimetype value,
                                                 icaltimezone* floating) const {
        icaltimezone* zone = nullptr;
        if (value.is_date)
            zone = nullptr;
        else if (icaltime_is_utc(value))
            zone = icaltimezone_get_utc_timezone();
        else if (const char* tzid = tzidOf(property))
            zone = resolve(tzid);
        else
            zone = floating;
        value.zone = nullptr;
        return {value, zone};
    }
    QDateTime moment(icalproperty* property, icaltimetype value, icaltimezone* floating) const {
        const auto [fields, zone] = place(property, value, floating);
        return momentOf(fields, zone);
    }
};

icalcomponent* CalendarFile::parse(const QByteArray& bytes, const QDeadlineTimer& deadline,
                                   const std::atomic<bool>& quitting, bool* stopped, Lines lines) {
    return parseLines(bytes, deadline, quitting, stopped, lines == Lines::read, nullptr);
}

std::unique_ptr<CalendarFile> CalendarFile::read(const QString& path, const QByteArray& bytes,
                                                 const Limits& limits, const std::atomic<bool>& quitting) {
    auto file = std::make_unique<CalendarFile>();
    file->m_path = path;
    const QDeadlineTimer deadline(limits.perFile);
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
        EventTexts texts;
        // The tree goes as soon as its components are taken apart: its memory is then used again
        // for the next file's, where a tree kept per file leaves every file's in fresh pages.
        const std::unique_ptr<icalcomponent, void (*)(icalcomponent*)> tree(
            parseLines(bytes, deadline, quitting, &stopped, true, takeTexts ? &texts : nullptr),
            icalcomponent_free);
        icalcomponent* root = tree.get();
        auto overTime = [&] {
            return QStringLiteral("it takes longer than %1 s to read")
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
            Zones zones;
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

void CalendarFile::addCalendar(icalcomponent* calendar, const Limits& limits, Zones& zones,
                               const QDeadlineTimer& deadline, const std::atomic<bool>& quitting,
                               const EventTexts* texts, int& events) {
    int added = 0;
    auto stop = [&] {
        return ++added % checkEvery == 0 &&
               (quitting.load(std::memory_order_relaxed) || deadline.hasExpired());
    };
    for (icalcomponent* zone = icalcomponent_get_first_component(calendar, ICAL_VTIMEZONE_COMPONENT); zone;
         zone = icalcomponent_get_next_component(calendar, ICAL_VTIMEZONE_COMPONENT)) {
        icalproperty* tzid = icalcomponent_get_first_property(zone, ICAL_TZID_PROPERTY);
        const char* name = tzid ? icalproperty_get_tzid(tzid) : nullptr;
        if (!name)
            continue;
        if (!isBounded(zone, limits.zoneChanges)) {
            zones.unusable.insert(QByteArray(name));
            qCWarning(lcPlatform,
                      "calendar file %s: the time zone %s has too many changes to work out; its "
                      "times are read as UTC",
                      qUtf8Printable(m_path), name);
        } else if (icaltimezone* shared = sharedZone(zone)) {
            zones.own.insert(QByteArray(name), shared);
        }
    }
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

void CalendarFile::addTodo(icalcomponent* todo, const Zones& zones) {
    Todo item;
    item.uid = stringOf(todo, ICAL_UID_PROPERTY).value_or(QString());
    item.title = stringOf(todo, ICAL_SUMMARY_PROPERTY);
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

void CalendarFile::addEvent(icalcomponent* event, const Zones& zones, const EventTexts* texts, int index) {
    icalproperty* dtstart = icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
    const icaltimetype rawStart = dtstart ? icalproperty_get_dtstart(dtstart) : icaltime_null_time();
    if (icaltime_is_null_time(rawStart)) {
        ++m_dropped;
        return;
    }
    const auto [startFields, zone] = zones.place(dtstart, rawStart, nullptr);
    const bool allDay = startFields.is_date;
    const QDateTime startAt = momentOf(startFields, zone);
    if (!startAt.isValid()) {
        ++m_dropped;
        return;
    }
    // DTEND goes through the same lookup; without a TZID of its own it is in DTSTART's zone.
    QDateTime endAt;
    if (icalproperty* dtend = icalcomponent_get_first_property(event, ICAL_DTEND_PROPERTY)) {
        endAt = zones.moment(dtend, icalproperty_get_dtend(dtend), zone);
    } else if (icalproperty* duration = icalcomponent_get_first_property(event, ICAL_DURATION_PROPERTY)) {
        const icaldurationtype length = icalproperty_get_duration(duration);
        if (allDay) {
            const int days = int(length.weeks * 7 + length.days) * (length.is_neg ? -1 : 1);
            endAt = startAt.toLocalTime().addDays(days).toUTC();
        } else {
            endAt = startAt.addSecs(icaldurationtype_as_int(length));
        }
    } else {
        endAt = allDay ? startAt.toLocalTime().addDays(1).toUTC() : startAt;
    }
    // An event never ends before it starts.
    if (!endAt.isValid() || endAt < startAt)
        endAt = startAt;

    Fields fields;
    fields.assign({eventText(texts, index, Fields::uid, event), eventText(texts, index, Fields::title, event),
                   eventText(texts, index, Fields::location, event),
                   eventText(texts, index, Fields::notes, event)});
    if (const std::optional<QString> url = stringOf(event, ICAL_URL_PROPERTY)) {
        const QUrl parsed(url->trimmed(), QUrl::StrictMode);
        if (parsed.isValid() && !parsed.isEmpty())
            fields.url = parsed;
    }

    icalproperty* recurrenceId = icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY);
    const bool recurs = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY) ||
                        icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY);
    if (recurrenceId || !recurs) {
        Single single{fields, startAt, endAt, allDay, startAt, false};
        if (recurrenceId) {
            const QDateTime moved =
                zones.moment(recurrenceId, icalproperty_get_recurrenceid(recurrenceId), zone);
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
        return;
    }

    Series series;
    series.fields = fields;
    series.allDay = allDay;
    series.zone = allDay ? nullptr : zone;
    series.startFields = startFields;
    series.start = startAt;
    series.durationSeconds = startAt.secsTo(endAt);
    // Whole days count for an all-day series only; a timed one lasts its seconds.
    if (allDay)
        series.durationDays = startAt.toLocalTime().date().daysTo(endAt.toLocalTime().date());
    for (icalproperty* rrule = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY); rrule;
         rrule = icalcomponent_get_next_property(event, ICAL_RRULE_PROPERTY)) {
        icalrecurrencetype rule = icalproperty_get_rrule(rrule);
        rule.rscale = nullptr;
        if (rule.freq == ICAL_NO_RECURRENCE) {
            ++m_dropped;
            continue;
        }
        if (!walksInShortSteps(rule) && !series.givenUp) {
            series.givenUp = true;
            qCWarning(lcPlatform,
                      "calendar file %s: the series %s has a rule too costly to work out; it is not shown",
                      qUtf8Printable(m_path), qUtf8Printable(fields.uidOrNone()));
        }
        // UNTIL in UTC (as RFC 5545 asks for a zoned DTSTART) becomes the series' wall-clock time,
        // the time the rule is walked in.
        if (!icaltime_is_null_time(rule.until) && !rule.until.is_date) {
            const QDateTime until = zones.moment(rrule, rule.until, series.zone);
            if (allDay) {
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
            if (at.is_date && !allDay) {
                // A day on a timed series: that day at the series' time of day.
                at.is_date = 0;
                at.hour = startFields.hour;
                at.minute = startFields.minute;
                at.second = startFields.second;
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
    for (icalproperty* exdate = icalcomponent_get_first_property(event, ICAL_EXDATE_PROPERTY); exdate;
         exdate = icalcomponent_get_next_property(event, ICAL_EXDATE_PROPERTY)) {
        const icaltimetype at = icalproperty_get_exdate(exdate);
        if (icaltime_is_null_time(at))
            continue;
        if (at.is_date && !allDay)
            series.excludedDays.insert(QDate(at.year, at.month, at.day));
        else if (const QDateTime moment = zones.moment(exdate, at, series.zone); moment.isValid())
            series.excluded.insert(moment.toSecsSinceEpoch());
    }
    // Moved occurrences written before their series.
    for (const Single& single : std::as_const(m_singles)) {
        if (single.movesAnOccurrence && single.fields.sameUid(fields))
            series.moved.insert(single.occurrence.toSecsSinceEpoch());
    }
    m_series.append(std::move(series));
}

void CalendarFile::Fields::assign(const char* const (&texts)[4]) {
    size_t lengths[4];
    size_t total = 0;
    for (int n = 0; n < 4; ++n) {
        lengths[n] = texts[n] ? strlen(texts[n]) : 0;
        total += lengths[n];
    }
    m_text.clear();
    m_text.reserve(qsizetype(total));
    m_present = 0;
    m_strings.reset();
    for (int n = 0; n < 4; ++n) {
        if (texts[n]) {
            m_text.append(texts[n], qsizetype(lengths[n]));
            m_present |= quint8(1u << n);
        }
        m_ends[n] = int(m_text.size());
    }
}

QByteArrayView CalendarFile::Fields::view(Text which) const {
    const int begin = which == uid ? 0 : m_ends[which - 1];
    return QByteArrayView(m_text).sliced(begin, m_ends[which] - begin);
}

std::optional<QString> CalendarFile::Fields::operator[](Text which) const {
    if (!(m_present & (1u << which)))
        return std::nullopt;
    if (!m_strings) {
        auto strings = std::make_shared<std::array<QString, 4>>();
        for (int n = 0; n < 4; ++n)
            (*strings)[n] = QString::fromUtf8(view(Text(n)));
        m_strings = std::move(strings);
    }
    return (*m_strings)[which];
}

bool CalendarFile::Fields::sameUid(const Fields& other) const {
    return (m_present & 1u) == (other.m_present & 1u) && view(uid) == other.view(uid);
}

QString CalendarFile::Fields::uidOrNone() const {
    return (*this)[uid].value_or(QStringLiteral("without UID"));
}

QDateTime CalendarFile::Series::endOf(const QDateTime& at) const {
    if (!allDay)
        return at.addSecs(durationSeconds);
    // Whole local days, also across a change to or from summer time.
    return at.toLocalTime().addDays(durationDays).toUTC();
}

bool CalendarFile::overlaps(const QDateTime& start, const QDateTime& end, const QDateTime& from,
                            const QDateTime& to) {
    if (start > to)
        return false;
    return end > from || (start == end && start >= from);
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
    const QDeadlineTimer deadline(limits.perFile);
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
            if (++steps % checkEvery == 0) {
                if (quitting.load(std::memory_order_relaxed))
                    return false;
                if (deadline.hasExpired())
                    return giveUp("takes too long to work out");
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
    // Excluded and moved moments go; a moment generated twice (by RRULE and RDATE, two equal rules,
    // an RDATE on DTSTART) is one occurrence, the first one found.
    found.removeIf([&](const Occurrence& occurrence) {
        const qint64 at = occurrence.start.toSecsSinceEpoch();
        return series.excluded.contains(at) || series.moved.contains(at);
    });
    std::stable_sort(found.begin(), found.end(),
                     [](const Occurrence& a, const Occurrence& b) { return a.start < b.start; });
    found.erase(std::unique(found.begin(), found.end(),
                            [](const Occurrence& a, const Occurrence& b) { return a.start == b.start; }),
                found.end());
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
