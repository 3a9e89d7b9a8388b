#pragma once

#include "platform/linux/calendar/CpuDeadline.h"

#include <QByteArray>

#include <atomic>
#include <libical/ical.h>

struct EventTextTable;

// Feeds iCalendar text to libical's parser a line at a time, stopping early when `quitting` is
// set or the reading thread has worked past `deadline` (`stopped` then set, and null returned).
// With `onlyReadLines`, the lines reading does not use are left out (the line filter); given
// `texts` too, the texts of events are taken from their lines into it and left out as well (the
// pre-reader).
namespace CalendarParse {

icalcomponent* parse(const QByteArray& bytes, const CpuDeadline& deadline, const std::atomic<bool>& quitting,
                     bool* stopped, bool onlyReadLines, EventTextTable* texts);

} // namespace CalendarParse
