#pragma once

#include <QDateTime>

#include <libical/ical.h>

// Wall-clock fields and moments, one into the other, in a zone or in local time (a null zone).
// The moments of zoned fields are kept per zone (the moment cache): the same wall-clock times
// come again and again (a day's meetings, a series' hour, the next refresh).
namespace ZoneMoments {

QDateTime localMidnight(int year, int month, int day);
// Fields in a zone, or floating (null zone: local wall time), as a moment in UTC; a date is its
// local midnight.
QDateTime momentOf(const icaltimetype& fields, const icaltimezone* zone);
// A moment as the fields of a zone's wall-clock time (null zone: local time), without a zone.
icaltimetype fieldsIn(const QDateTime& moment, icaltimezone* zone);

} // namespace ZoneMoments
