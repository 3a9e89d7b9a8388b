#pragma once

#include <QDateTime>
#include <QString>

// Short relative times (the hook event list, the file shelf): "5 sec. ago", "2 min. ago", "3 hr. ago",
// "1 day ago", "2 wk. ago", "4 mo. ago", "1 yr. ago", and "in 5 sec." for a time still ahead
// (a tool's clock may run a little fast). Counts are whole units, rounded down; always lower case.
namespace RelativeTimeFormatter {

QString string(const QDateTime& date, const QDateTime& relativeTo);

} // namespace RelativeTimeFormatter
