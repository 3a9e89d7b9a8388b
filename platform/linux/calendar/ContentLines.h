#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <libical/ical.h>

// Content lines of iCalendar text as they stand in the bytes, before any parser has seen them:
// their names, ends and folded continuations, and which of them reading uses (the line filter).
namespace ContentLines {

// A line reading uses, by its name.
struct ReadLine {
    const char* name;
    // The property the parser makes of the line; ICAL_NO_PROPERTY for BEGIN and END.
    icalproperty_kind kind;
};

// The length of a content line's name: up to its first ':' or ';'.
qsizetype nameLength(const char* at, const char* end);
// Whether the name of `length` bytes at `at` is `name`, whatever its case.
bool isName(const char* at, qsizetype length, const char* name);
// The content lines reading uses: the components' bounds and the properties read from events,
// to-dos and zones; null for the rest (DTSTAMP, attendees, alarms' lines, attachments, X-
// properties), which is only ever written back, never read, and costs the parser as much as what
// is read.
const ReadLine* readLine(const char* at, qsizetype length);

// Where the next line starts: after the line break, or at `end`.
const char* endOfLine(const char* at, const char* end);
// Whether a line at `at` continues the one before it (it starts with a blank).
bool isContinuation(const char* at, const char* end);
// A line without its line break.
QByteArrayView content(const char* at, const char* end);
// Appends the rest of the line at `at` and its continuation lines, unfolded and without line
// breaks, onto `into`; returns where the line after them starts.
const char* appendUnfolded(const char* at, const char* end, QByteArray& into);

} // namespace ContentLines
