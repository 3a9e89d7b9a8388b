#include "platform/linux/calendar/CalendarParse.h"

#include "platform/linux/calendar/CalendarFile.h"
#include "platform/linux/calendar/ContentLines.h"
#include "platform/linux/calendar/EventTextTable.h"

#include <QVarLengthArray>

#include <algorithm>
#include <cstring>
#include <limits>

using namespace ContentLines;

namespace {

// Reads the bytes a line at a time for the parser, stopping early when told to, and leaving out
// the lines reading does not use when told to; then also taking the events' texts when given a
// table for them.
struct LineSource {
    const char* at = nullptr;
    const char* end = nullptr;
    const CpuDeadline* deadline = nullptr;
    const std::atomic<bool>* quitting = nullptr;
    bool onlyReadLines = false;
    EventTextTable* texts = nullptr;
    int lines = 0;
    bool stopped = false;
    // Whether the next call starts a line, or goes on with one longer than the parser's buffer.
    bool atLineStart = true;
    // The components open at this line: 'c' a VCALENDAR, 'e' a VEVENT, 'o' any other.
    QVarLengthArray<char, 8> open;
    QByteArray unfolded;

    bool inEventOfCalendar() const { return open.size() == 2 && open[0] == 'c' && open[1] == 'e'; }

    // The component a BEGIN line opens, named as the parser names it: by the unfolded value as
    // it stands, its leading blanks included, and by the first component name it starts with
    // ("VEVENT?" opens a VEVENT, " VEVENT" none).
    char kindOf(const char* line, qsizetype length) {
        if (line + length >= end || line[length] != ':')
            return 'o';
        unfolded.clear();
        appendUnfolded(line + length + 1, end, unfolded);
        switch (icalcomponent_string_to_kind(unfolded.constData())) {
        case ICAL_VCALENDAR_COMPONENT:
            return 'c';
        case ICAL_VEVENT_COMPONENT:
            return 'e';
        default:
            return 'o';
        }
    }

    // Follows the lines given to the parser: BEGIN and END lines, numbering the events of
    // top-level calendars, and the properties of those events.
    void follow(const char* line, qsizetype length, icalproperty_kind kind) {
        const bool begins = isName(line, length, "BEGIN");
        if (!begins && !isName(line, length, "END")) {
            if (texts && inEventOfCalendar())
                texts->events.last().add(kind);
            return;
        }
        if (!begins) {
            if (!open.isEmpty())
                open.removeLast();
            return;
        }
        open.append(kindOf(line, length));
        if (texts && inEventOfCalendar())
            texts->events.append(EventTextTable::Event{});
    }

    // Takes the line at `at`, one of an event's texts, with its continuation lines: true when it
    // is left out of the parse (taken, or a repeat of one taken).
    bool take(qsizetype length) {
        int which = -1;
        static const char* const names[] = {"UID", "SUMMARY", "LOCATION", "DESCRIPTION"};
        for (int n = 0; n < 4 && which < 0; ++n) {
            if (isName(at, length, names[n]))
                which = n;
        }
        if (which < 0)
            return false;
        int& slot = texts->events.last().texts[which];
        if (slot == EventTextTable::parsed)
            return false;
        const char* line = at;
        const char* after = endOfLine(line, end);
        QByteArrayView whole = content(line, after);
        if (isContinuation(after, end)) {
            unfolded.clear();
            after = appendUnfolded(line, end, unfolded);
            whole = unfolded;
        }
        // The first of a property counts, as the parser's first property would.
        if (slot == EventTextTable::absent) {
            const qsizetype start = texts->bytes.size();
            // Positions are ints: texts past them (a file of gigabytes) are the parser's.
            if (start + whole.size() >= std::numeric_limits<int>::max() ||
                !EventTextTable::appendValue(whole, length, texts->bytes)) {
                slot = EventTextTable::parsed;
                return false;
            }
            slot = int(start);
        }
        at = after;
        return true;
    }

    // Moves on to the next line given to the parser; a line left out goes with its folded
    // continuation lines.
    void skipUnread() {
        bool skipping = false;
        while (at < end) {
            if (isContinuation(at, end)) {
                if (!skipping)
                    break;
            } else {
                const qsizetype length = nameLength(at, end);
                if (texts && inEventOfCalendar() && take(length)) {
                    skipping = true;
                    continue;
                }
                if (const ReadLine* line = readLine(at, length)) {
                    follow(at, length, line->kind);
                    break;
                }
            }
            skipping = true;
            at = endOfLine(at, end);
        }
    }
};

char* nextLine(char* out, size_t size, void* data) {
    auto* source = static_cast<LineSource*>(data);
    if (source->onlyReadLines && source->atLineStart)
        source->skipUnread();
    if (source->at >= source->end || size < 2)
        return nullptr;
    if (++source->lines % CalendarFile::Limits::checkEvery == 0 &&
        (source->quitting->load(std::memory_order_relaxed) || source->deadline->hasExpired())) {
        source->stopped = true;
        source->at = source->end;
        return nullptr;
    }
    const size_t room = std::min(size - 1, size_t(source->end - source->at));
    const void* newline = memchr(source->at, '\n', room);
    const size_t length = newline ? size_t(static_cast<const char*>(newline) - source->at) + 1 : room;
    memcpy(out, source->at, length);
    out[length] = '\0';
    source->at += length;
    source->atLineStart = newline != nullptr;
    return out;
}

} // namespace

namespace CalendarParse {

icalcomponent* parse(const QByteArray& bytes, const CpuDeadline& deadline, const std::atomic<bool>& quitting,
                     bool* stopped, bool onlyReadLines, EventTextTable* texts) {
    LineSource source;
    source.at = bytes.constData();
    source.end = bytes.constData() + bytes.size();
    source.deadline = &deadline;
    source.quitting = &quitting;
    source.onlyReadLines = onlyReadLines;
    source.texts = texts;
    icalparser* parser = icalparser_new();
    icalparser_set_gen_data(parser, &source);
    icalcomponent* root = icalparser_parse(parser, nextLine);
    // Components a stop left open go with the parser.
    icalparser_free(parser);
    if (stopped)
        *stopped = source.stopped;
    if (source.stopped && root) {
        icalcomponent_free(root);
        root = nullptr;
    }
    return root;
}

} // namespace CalendarParse
