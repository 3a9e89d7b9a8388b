#pragma once

#include <QByteArray>
#include <QString>

#include <libical/ical.h>
#include <optional>

// The texts of parsed components as libical reads them.
namespace CalendarText {

// The unescaped text of a property (empty when it has none); null when there is no such property.
// For UID, SUMMARY, LOCATION, DESCRIPTION and URL.
const char* textOf(icalcomponent* component, icalproperty_kind kind);
std::optional<QString> stringOf(icalcomponent* component, icalproperty_kind kind);
// A component written out as iCalendar text.
QByteArray icalText(icalcomponent* component);

} // namespace CalendarText
