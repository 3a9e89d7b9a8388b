#pragma once

#include "platform/linux/calendar/CpuDeadline.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QUrl>

#include <array>
#include <atomic>
#include <chrono>
#include <libical/ical.h>
#include <memory>
#include <optional>

class FileZones;
struct EventTextTable;

// One iCalendar file of the calendar folder as read: its single events, moved occurrences, series
// and to-dos, and what could not be read. Every time is resolved through one zone lookup (the
// file's VTIMEZONEs, else the system's zones by name, libical's prefixed names included), and a
// series is expanded in its own zone, with each UTC value of it (UNTIL, EXDATE, RDATE,
// RECURRENCE-ID) brought into that zone first. The parser gets only the lines reading uses, and
// not the texts of events (UID, SUMMARY, LOCATION, DESCRIPTION): those are taken from the lines
// as the parser would read them.
//
// Reading and expanding keep to the limits, which count work, never time gone by, so that a file
// reads alike on a busy machine and on a quiet one: a file whose reading takes more CPU time of
// the reading thread than its budget is refused, a VTIMEZONE whose rules would expand past a
// bound is not used (its times are read as UTC), a series that takes more rule steps or yields
// more occurrences in one window than allowed is not shown. Each of these is logged at warning
// level once, when the file is read (or the series first expanded), so once per version of the
// file.
//
// One instance is used by one thread at a time (series keep their last expansion); instances may
// be used on several threads at once, as the zones they share are used under a lock of their own.
class CalendarFile {
public:
    struct Limits {
        // Reading one file, parsing and taking its components apart, and expanding one series: the
        // CPU time of the thread doing it. Generous: a calendar of 20 MB takes a few tenths of a
        // second, one of 80 MB under a second and a half in a debug build.
        std::chrono::milliseconds perFile{10000};
        // Rule steps of one series before it is given up, and occurrences in one window.
        int stepsPerSeries = 200000;
        int instancesPerSeries = 2000;
        // The changes of one VTIMEZONE rule up to the years that matter.
        qint64 zoneChanges = 20000;

        // How often the parser's line source, the component loops and the rule walk look at the
        // thread's CPU clock and the quit flag.
        static constexpr int checkEvery = 512;
    };

    enum class Outcome {
        read,
        // Parsed with errors, or some events could not be used.
        readInPart,
        // Not read at all: not iCalendar, empty, or past its work.
        refused,
        // Stopped because the program is quitting; nothing of it is kept.
        abandoned,
    };

    // An event's texts, kept as the file's UTF-8 one after another in one block (most events are
    // never shown, and a folder holds thousands), made into strings when an event is first shown
    // and kept for the next answers (used under the lock of the file's folder, as expansions are).
    class Fields {
    public:
        enum Text { uid, title, location, notes };

        // The texts in the order above, each null when its property is not there.
        void assign(const char* const (&texts)[4]);
        std::optional<QString> operator[](Text which) const;
        // Whether both have the same UID, or neither has one.
        bool sameUid(const Fields& other) const;
        QString uidOrNone() const;

        std::optional<QUrl> url;

    private:
        QByteArrayView view(Text which) const;

        QByteArray m_text;
        // Where each text ends in m_text, and which are there.
        int m_ends[4] = {};
        quint8 m_present = 0;
        mutable std::shared_ptr<const std::array<QString, 4>> m_strings;
    };
    // An event that happens once, or one moved occurrence of a series.
    struct Single {
        Fields fields;
        QDateTime start;
        QDateTime end;
        bool allDay = false;
        // The occurrence the identifier names: its start, or the occurrence RECURRENCE-ID moves.
        QDateTime occurrence;
        bool movesAnOccurrence = false;
    };
    struct Occurrence {
        QDateTime start;
        QDateTime end;
    };
    // An event with RRULE or RDATE, expanded for each window asked.
    struct Series {
        Fields fields;
        bool allDay = false;
        // The zone the series recurs in; null for a floating or all-day series (local time).
        icaltimezone* zone = nullptr;
        // DTSTART's own fields, without a zone, and as a moment.
        icaltimetype startFields{};
        QDateTime start;
        qint64 durationSeconds = 0;
        qint64 durationDays = 0;
        // RRULEs with UNTIL in the series' own wall-clock time (no RSCALE), as text: the parsed
        // form takes kilobytes a rule, and is made again only when the series is expanded.
        QList<QByteArray> rules;
        // RDATEs, with their own end when they are periods.
        QList<Occurrence> extra;
        // EXDATE moments, and the days of DATE values on a timed series.
        QSet<qint64> excluded;
        QSet<QDate> excludedDays;
        // Occurrences moved by a RECURRENCE-ID, as moments.
        QSet<qint64> moved;

        // The last expansion, kept for the next windows inside it.
        mutable QDateTime expandedFrom;
        mutable QDateTime expandedTo;
        mutable QList<Occurrence> expanded;
        // Past its limits: shown no more in this version of the file.
        mutable bool givenUp = false;

        QDateTime endOf(const QDateTime& at) const;
    };
    struct Todo {
        QString uid;
        std::optional<QString> title;
        bool completed = false;
        QDateTime due;
        // The due value is a date without a time of day (then `due` is its local midnight).
        bool dueIsDate = false;
    };

    CalendarFile() = default;
    CalendarFile(const CalendarFile&) = delete;
    CalendarFile& operator=(const CalendarFile&) = delete;

    // Reads `bytes`, the content of `path`. `quitting` stops the reading at the next line or
    // component; the result is then `abandoned`.
    static std::unique_ptr<CalendarFile> read(const QString& path, const QByteArray& bytes,
                                              const Limits& limits, const std::atomic<bool>& quitting);

    // Which content lines a parse keeps: all of them (for a file to be written back), or only
    // those reading uses (the components and the properties read).
    enum class Lines { all, read };

    // Parses iCalendar text within `deadline` (the calling thread's CPU time); null when it is not
    // iCalendar or the deadline or `quitting` stopped it (`stopped` then set).
    static icalcomponent* parse(const QByteArray& bytes, const CpuDeadline& deadline,
                                const std::atomic<bool>& quitting, bool* stopped, Lines lines = Lines::all);

    QString path() const { return m_path; }
    Outcome outcome() const { return m_outcome; }
    // Why the file was refused, or what was dropped from a file read in part.
    QString problem() const { return m_problem; }
    int droppedComponents() const { return m_dropped; }

    const QList<Single>& singles() const { return m_singles; }
    const QList<Series>& series() const { return m_series; }
    const QList<Todo>& todos() const { return m_todos; }
    bool hasEvents() const { return !m_singles.isEmpty() || !m_series.isEmpty(); }

    // Appends the occurrences of `series` that run into [from, to]: earliest first, each moment
    // once. False when `quitting` stopped the expansion (nothing is appended then).
    bool occurrences(const Series& series, const QDateTime& from, const QDateTime& to, const Limits& limits,
                     const std::atomic<bool>& quitting, QList<Occurrence>& into) const;

    // Whether an occurrence belongs to a range: it must run into it; one that ends as the range
    // starts does not, but an instant at the range's start does.
    static bool overlaps(const QDateTime& start, const QDateTime& end, const QDateTime& from,
                         const QDateTime& to);

private:
    // An event's DTSTART and end, resolved.
    struct Times {
        // DTSTART's own fields, without a zone, and the zone they are in (null for a date or a
        // floating time).
        icaltimetype startFields{};
        icaltimezone* zone = nullptr;
        bool allDay = false;
        QDateTime start;
        QDateTime end;
    };

    void addCalendar(icalcomponent* calendar, const Limits& limits, FileZones& zones,
                     const CpuDeadline& deadline, const std::atomic<bool>& quitting,
                     const EventTextTable* texts, int& events);
    void addTodo(icalcomponent* todo, const FileZones& zones);
    // The `index`-th event of the file, a single event or a series, or one dropped.
    void addEvent(icalcomponent* event, const FileZones& zones, const EventTextTable* texts, int index);
    // False when the event has no usable start.
    static bool timesOf(icalcomponent* event, const FileZones& zones, Times& into);
    static Fields fieldsOf(icalcomponent* event, const EventTextTable* texts, int index);
    void addSingle(icalproperty* recurrenceId, const FileZones& zones, const Fields& fields,
                   const Times& times);
    void addSeries(icalcomponent* event, const FileZones& zones, const Fields& fields, const Times& times);
    // The parts of a series: its RRULEs, its RDATEs and its EXDATEs.
    void addRules(icalcomponent* event, const FileZones& zones, Series& series);
    void addExtraDates(icalcomponent* event, const FileZones& zones, Series& series);
    static void addExclusions(icalcomponent* event, const FileZones& zones, Series& series);
    bool expand(const Series& series, const QDateTime& from, const QDateTime& to, const Limits& limits,
                const std::atomic<bool>& quitting) const;

    QString m_path;
    Outcome m_outcome = Outcome::read;
    QString m_problem;
    int m_dropped = 0;
    QList<Single> m_singles;
    QList<Series> m_series;
    QList<Todo> m_todos;
};
