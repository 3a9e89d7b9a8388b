#pragma once

#include <QtGlobal>

#include <libical/ical.h>

// What a recurrence rule may cost libical before it is handed over: its walks cannot be
// interrupted, so a rule that could run long is refused beforehand.
namespace RuleBounds {

// Whether libical's walk of a rule stays short between two occurrences. The walk steps one unit
// of FREQ at a time until every BY part matches: a rule finer than a day with a part that matches
// only some days of the year (BYMONTH, BYMONTHDAY, BYYEARDAY, BYWEEKNO, BYSETPOS, or BYDAY with
// a position) may step for a year or, where the parts never meet (30 February), far longer; every
// second of a week is already half a million steps.
bool walksInShortSteps(const icalrecurrencetype& rule);
// An upper bound of the changes a zone rule yields from its DTSTART to the years that matter.
qint64 estimatedChanges(const icalrecurrencetype& rule, int fromYear);
// Whether libical can work out the zone's changes within the limit.
bool isBounded(icalcomponent* vtimezone, qint64 limit);

} // namespace RuleBounds
