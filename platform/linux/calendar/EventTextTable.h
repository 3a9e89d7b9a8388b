#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <array>
#include <libical/ical.h>

// The texts of events taken from their lines while the file is parsed, instead of by the parser:
// UID, SUMMARY, LOCATION and DESCRIPTION are most of a calendar's bytes and cost the parser more
// than the rest of an event together. Events are numbered in the order of their BEGIN lines
// directly inside a VCALENDAR at the top, which is the order the calendars list their events in.
//
// What it saves, measured with bench/calendar_refresh (Release; 2,000 events in 20 files; three
// runs each, on a quiet machine): the first refresh took 13.4-13.7 ms unpinned and 12.9-13.0 ms
// pinned to one CPU with the texts taken here, and 19.1-19.4 ms and 18.5-19.0 ms with the line
// filter alone, beside a libical parse of the same files of 13.5-13.9 ms in most runs: a ratio
// near 1.0 against 1.36-1.42. The texts taken here save about 30% of the first refresh; on a
// machine busy with builds, 26-31%, and the line filter alone then missed the bench's 1.5
// unpinned (1.57-1.74).
struct EventTextTable {
    // Where a text starts in `bytes`, or where it is not taken from the line.
    enum : int { absent = -1, parsed = -2 };
    // The texts, each with a NUL after it.
    QByteArray bytes;
    struct Event {
        // Its texts, in the order of CalendarFile::Fields::Text.
        std::array<int, 4> texts{absent, absent, absent, absent};
        // The properties of its own given to the parser, and their kinds in order folded into one
        // number: the parsed event must have as many of the same kinds, or it is not the event
        // the texts were taken from.
        int properties = 0;
        quint32 kinds = 0;

        void add(icalproperty_kind kind) {
            ++properties;
            kinds = kinds * 31 + quint32(kind);
        }
    };
    QList<Event> events;

    // Whether the parsed calendars list the events the lines began, each with its properties.
    bool matches(const QList<icalcomponent*>& calendars) const;

    // The text `which` (in the order of Fields::Text) of the `index`-th event, `component`: taken
    // from its line, or the parser's reading of it when there is no table or the line was left to
    // it.
    static const char* text(const EventTextTable* table, int index, int which, icalcomponent* component);

    // Unescapes the value of a text property's unfolded line (name, parameters, value) onto
    // `into`, with a NUL after it. False, with `into` as it was, for a line the parser is left to
    // read: a parameter without "=" or with a quote left open, a VALUE or ENCODING parameter, an
    // escape other than "\\" "\;" "\," "\"" and the control characters n, t, r, b, f, a NUL byte,
    // or no value once blanks are trimmed (the parser then drops the property). What is taken
    // reads as the parser reads it.
    static bool appendValue(QByteArrayView line, qsizetype nameLength, QByteArray& into);

private:
    // Where the value of the line starts (after its ':'), past the parameters; -1 when the line
    // is left to the parser.
    static qsizetype valueStart(QByteArrayView line, qsizetype nameLength);
    static bool appendUnescaped(QByteArrayView value, QByteArray& into);
};
