#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QString>

#include <libical/ical.h>
#include <utility>

// The zones of one calendar of a file: its usable VTIMEZONEs as shared zones, and the names of
// those that are not; any other name is looked up among the system's zones.
class FileZones {
public:
    // Takes the calendar's VTIMEZONEs. One whose rules would expand past `zoneChanges` is not
    // used (its times are read as UTC), with a warning naming the file at `path`.
    void addZonesOf(icalcomponent* calendar, qint64 zoneChanges, const QString& path);

    // The zone a TZID names; UTC for an unusable one; null when nothing by that name is known.
    icaltimezone* resolve(const char* tzid) const;
    // A date-time value of `property`: its fields without a zone and the zone they are in: UTC,
    // its TZID's zone, else `floating` (the zone of the event it belongs to, null for local time).
    std::pair<icaltimetype, icaltimezone*> place(icalproperty* property, icaltimetype value,
                                                 icaltimezone* floating) const;
    QDateTime moment(icalproperty* property, icaltimetype value, icaltimezone* floating) const;

private:
    QHash<QByteArray, icaltimezone*> m_own;
    QSet<QByteArray> m_unusable;
};
