#include "platform/linux/calendar/ZoneMoments.h"

#include "platform/linux/calendar/SharedZones.h"

#include <QHash>
#include <QTimeZone>

#include <utility>

namespace ZoneMoments {

QDateTime localMidnight(int year, int month, int day) {
    return QDateTime(QDate(year, month, day), QTime(0, 0)).toUTC();
}

QDateTime momentOf(const icaltimetype& fields, const icaltimezone* zone) {
    if (icaltime_is_null_time(fields))
        return {};
    if (fields.is_date)
        return localMidnight(fields.year, fields.month, fields.day);
    const QDate date(fields.year, fields.month, fields.day);
    const QTime clock(fields.hour, fields.minute, fields.second);
    if (zone == icaltimezone_get_utc_timezone())
        return QDateTime(date, clock, QTimeZone::utc());
    if (zone) {
        // Each wall-clock time is worked out once per zone. Zones live as long as the process.
        static auto& known = *new QHash<std::pair<const icaltimezone*, qint64>, qint64>;
        const qint64 wallClock =
            ((((qint64(fields.year) * 13 + fields.month) * 32 + fields.day) * 24 + fields.hour) * 60 +
             fields.minute) *
                60 +
            fields.second;
        const std::lock_guard<std::mutex> lock(SharedZones::lock());
        auto found = known.constFind({zone, wallClock});
        if (found == known.constEnd()) {
            if (known.size() > 65536)
                known.clear();
            icaltimetype plain = fields;
            plain.zone = nullptr;
            found = known.insert({zone, wallClock},
                                 qint64(icaltime_as_timet_with_zone(plain, const_cast<icaltimezone*>(zone))));
        }
        return QDateTime::fromSecsSinceEpoch(*found, QTimeZone::utc());
    }
    return QDateTime(date, clock).toUTC();
}

icaltimetype fieldsIn(const QDateTime& moment, icaltimezone* zone) {
    icaltimetype fields;
    if (zone) {
        const std::lock_guard<std::mutex> lock(SharedZones::lock());
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

} // namespace ZoneMoments
