#include "platform/linux/calendar/ContentLines.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace ContentLines {

qsizetype nameLength(const char* at, const char* end) {
    const char* name = at;
    while (at < end && *at != ':' && *at != ';' && *at != '\n' && *at != '\r')
        ++at;
    return at - name;
}

bool isName(const char* at, qsizetype length, const char* name) {
    return qsizetype(strlen(name)) == length && qstrnicmp(name, at, size_t(length)) == 0;
}

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

QByteArrayView content(const char* at, const char* end) {
    while (end > at && (end[-1] == '\n' || end[-1] == '\r'))
        --end;
    return QByteArrayView(at, end - at);
}

const char* appendUnfolded(const char* at, const char* end, QByteArray& into) {
    const char* after = endOfLine(at, end);
    into.append(content(at, after));
    while (isContinuation(after, end)) {
        const char* next = endOfLine(after, end);
        into.append(content(after + 1, next));
        after = next;
    }
    return after;
}

} // namespace ContentLines
