#include "platform/linux/calendar/FileZones.h"

#include "platform/PlatformLog.h"
#include "platform/linux/calendar/RuleBounds.h"
#include "platform/linux/calendar/SharedZones.h"
#include "platform/linux/calendar/ZoneMoments.h"

namespace {

const char* tzidOf(icalproperty* property) {
    icalparameter* tzid =
        property ? icalproperty_get_first_parameter(property, ICAL_TZID_PARAMETER) : nullptr;
    return tzid ? icalparameter_get_tzid(tzid) : nullptr;
}

} // namespace

void FileZones::addZonesOf(icalcomponent* calendar, qint64 zoneChanges, const QString& path) {
    for (icalcomponent* zone = icalcomponent_get_first_component(calendar, ICAL_VTIMEZONE_COMPONENT); zone;
         zone = icalcomponent_get_next_component(calendar, ICAL_VTIMEZONE_COMPONENT)) {
        icalproperty* tzid = icalcomponent_get_first_property(zone, ICAL_TZID_PROPERTY);
        const char* name = tzid ? icalproperty_get_tzid(tzid) : nullptr;
        if (!name)
            continue;
        if (!RuleBounds::isBounded(zone, zoneChanges)) {
            m_unusable.insert(QByteArray(name));
            qCWarning(lcPlatform,
                      "calendar file %s: the time zone %s has too many changes to work out; its "
                      "times are read as UTC",
                      qUtf8Printable(path), name);
        } else if (icaltimezone* shared = SharedZones::ofComponent(zone)) {
            m_own.insert(QByteArray(name), shared);
        }
    }
}

icaltimezone* FileZones::resolve(const char* tzid) const {
    if (!tzid || !*tzid)
        return nullptr;
    const QByteArray name(tzid);
    if (icaltimezone* zone = m_own.value(name))
        return zone;
    if (m_unusable.contains(name))
        return icaltimezone_get_utc_timezone();
    return SharedZones::ofName(name);
}

std::pair<icaltimetype, icaltimezone*> FileZones::place(icalproperty* property, icaltimetype value,
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

QDateTime FileZones::moment(icalproperty* property, icaltimetype value, icaltimezone* floating) const {
    const auto [fields, zone] = place(property, value, floating);
    return ZoneMoments::momentOf(fields, zone);
}
