#include "platform/linux/calendar/SharedZones.h"

#include "platform/linux/calendar/CalendarText.h"

#include <QHash>

namespace SharedZones {

std::mutex& lock() {
    static std::mutex zones;
    return zones;
}

icaltimezone* ofComponent(icalcomponent* vtimezone) {
    static auto& zones = *new QHash<QByteArray, icaltimezone*>;
    const QByteArray key = CalendarText::icalText(vtimezone);
    const std::lock_guard<std::mutex> held(lock());
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

icaltimezone* ofName(const QByteArray& name) {
    static auto& known = *new QHash<QByteArray, icaltimezone*>;
    const std::lock_guard<std::mutex> held(lock());
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

} // namespace SharedZones
