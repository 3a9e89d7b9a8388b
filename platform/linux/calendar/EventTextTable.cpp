#include "platform/linux/calendar/EventTextTable.h"

#include "platform/linux/calendar/CalendarText.h"

bool EventTextTable::matches(const QList<icalcomponent*>& calendars) const {
    qsizetype event = 0;
    for (icalcomponent* calendar : calendars) {
        for (icalcomponent* each = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); each;
             each = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT), ++event) {
            Event read;
            for (icalproperty* property = icalcomponent_get_first_property(each, ICAL_ANY_PROPERTY); property;
                 property = icalcomponent_get_next_property(each, ICAL_ANY_PROPERTY))
                read.add(icalproperty_isa(property));
            if (event >= events.size() || events[event].properties != read.properties ||
                events[event].kinds != read.kinds)
                return false;
        }
    }
    return event == events.size();
}

const char* EventTextTable::text(const EventTextTable* table, int index, int which,
                                 icalcomponent* component) {
    const int at = table ? table->events[index].texts[which] : parsed;
    if (at >= 0)
        return table->bytes.constData() + at;
    static constexpr icalproperty_kind kinds[] = {ICAL_UID_PROPERTY, ICAL_SUMMARY_PROPERTY,
                                                  ICAL_LOCATION_PROPERTY, ICAL_DESCRIPTION_PROPERTY};
    return at == parsed ? CalendarText::textOf(component, kinds[which]) : nullptr;
}

bool EventTextTable::appendValue(QByteArrayView line, qsizetype nameLength, QByteArray& into) {
    // The parser reads a line only up to a NUL byte.
    if (line.contains('\0'))
        return false;
    const qsizetype at = valueStart(line, nameLength);
    return at >= 0 && appendUnescaped(line.sliced(at), into);
}

qsizetype EventTextTable::valueStart(QByteArrayView line, qsizetype nameLength) {
    qsizetype at = nameLength;
    while (at < line.size() && line[at] == ';') {
        const qsizetype name = ++at;
        while (at < line.size() && line[at] != '=' && line[at] != ':' && line[at] != ';' && line[at] != '"')
            ++at;
        if (at >= line.size() || line[at] != '=')
            return -1;
        const QByteArrayView parameter = line.sliced(name, at - name);
        if (parameter.compare("VALUE", Qt::CaseInsensitive) == 0 ||
            parameter.compare("ENCODING", Qt::CaseInsensitive) == 0)
            return -1;
        if (++at < line.size() && line[at] == '"') {
            const qsizetype close = line.indexOf('"', at + 1);
            if (close < 0)
                return -1;
            at = close + 1;
        }
        while (at < line.size() && line[at] != ';' && line[at] != ':') {
            if (line[at] == '"')
                return -1;
            ++at;
        }
    }
    if (at >= line.size() || line[at] != ':')
        return -1;
    return at + 1;
}

bool EventTextTable::appendUnescaped(QByteArrayView value, QByteArray& into) {
    qsizetype at = 0;
    qsizetype end = value.size();
    // Blanks as the C library counts them.
    auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (at < end && blank(value[at]))
        ++at;
    while (end > at && blank(value[end - 1]))
        --end;
    if (at == end)
        return false;
    const qsizetype start = into.size();
    while (at < end) {
        const qsizetype escape = value.sliced(at, end - at).indexOf('\\');
        const qsizetype plain = escape < 0 ? end - at : escape;
        into.append(value.data() + at, plain);
        at += plain;
        if (at == end)
            break;
        char unescaped = 0;
        switch (at + 1 < end ? value[at + 1] : 0) {
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
            unescaped = value[at + 1];
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
