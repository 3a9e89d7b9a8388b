#pragma once

#include <QByteArray>

#include <libical/ical.h>
#include <mutex>

// The zone objects every file and every reader thread share. They live for the process and are
// never destroyed: a reader still running as the process exits may use them (so are the other
// caches of the calendar reader).
namespace SharedZones {

// libical works out a zone's changes lazily, on the first conversion that needs them: every
// lookup of a shared zone and every conversion through one holds this lock.
std::mutex& lock();

// One zone object per distinct VTIMEZONE, shared by every file that carries the same text: doing
// the zone's work once instead of once per file is most of the cost of reading a folder of files
// from one client. Null when libical cannot use the component.
icaltimezone* ofComponent(icalcomponent* vtimezone);

// The system's zone of a name: an Olson name, or one with a prefix before it, as libical writes
// its own ("/freeassociation.sourceforge.net/Tzfile/Europe/Berlin"). Null when there is none.
icaltimezone* ofName(const QByteArray& name);

} // namespace SharedZones
