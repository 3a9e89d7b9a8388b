#include "Brimlark/core/PermissionsCoordinator.h"
#include "Brimlark/organizer/CalendarService.h"
#include "platform/fake/FakeClock.h"
#include "platform/fake/FakePermissions.h"
#include "platform/linux/calendar/FolderEventStore.h"
#include "tests/support/TestMain.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimeZone>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <libical/ical.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace {

const QByteArray newYork = R"(BEGIN:VTIMEZONE
TZID:America/New_York
BEGIN:STANDARD
DTSTART:19701101T020000
RRULE:FREQ=YEARLY;BYMONTH=11;BYDAY=1SU
TZOFFSETFROM:-0400
TZOFFSETTO:-0500
TZNAME:EST
END:STANDARD
BEGIN:DAYLIGHT
DTSTART:19700308T020000
RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=2SU
TZOFFSETFROM:-0500
TZOFFSETTO:-0400
TZNAME:EDT
END:DAYLIGHT
END:VTIMEZONE
)";

const QByteArray berlin = R"(BEGIN:VTIMEZONE
TZID:Europe/Berlin
BEGIN:DAYLIGHT
TZOFFSETFROM:+0100
TZOFFSETTO:+0200
TZNAME:CEST
DTSTART:19700329T020000
RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU
END:DAYLIGHT
BEGIN:STANDARD
TZOFFSETFROM:+0200
TZOFFSETTO:+0100
TZNAME:CET
DTSTART:19701025T030000
RRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU
END:STANDARD
END:VTIMEZONE
)";

const QByteArray tokyo = R"(BEGIN:VTIMEZONE
TZID:Asia/Tokyo
BEGIN:STANDARD
DTSTART:19700101T000000
TZOFFSETFROM:+0900
TZOFFSETTO:+0900
TZNAME:JST
END:STANDARD
END:VTIMEZONE
)";

// A zone whose only rule changes every second since 1601: working it out would never end.
const QByteArray everySecond = R"(BEGIN:VTIMEZONE
TZID:Every/Second
BEGIN:STANDARD
DTSTART:16010101T000000
RRULE:FREQ=SECONDLY
TZOFFSETFROM:+0100
TZOFFSETTO:+0100
END:STANDARD
END:VTIMEZONE
)";

QByteArray calendar(const QByteArray& body) {
    QByteArray text =
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Brimlark tests//EN\r\n" + body + "END:VCALENDAR\r\n";
    return text.replace("\r\n", "\n").replace("\n", "\r\n");
}

// Monday 5 January 2026 and the next two Mondays.
QDateTime dayStart(int week) {
    return QDateTime(QDate(2026, 1, 5).addDays(7 * week), QTime(0, 0));
}

} // namespace

// The Linux event store: its authorisation follows its folder of iCalendar files, its calendars
// are the subfolders and their events come from the files.
class TestFolderEventStore : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_root;
    QString calendars() const { return m_root->filePath(QStringLiteral("support/calendars")); }

    static bool write(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
    }
    static void expectStatus(const FolderEventStore& store, PermissionStatus status) {
        QCOMPARE(store.authorizationStatus(EventStore::Entity::event), status);
        QCOMPARE(store.authorizationStatus(EventStore::Entity::reminder), status);
    }
    // Long enough for the watcher and the coalescing to have spoken if they were going to.
    static void settle() { QTest::qWait(6 * FolderEventStore::coalesceMs); }

    // One line per event: identifier | start | end | all day | title, sorted.
    static QStringList describe(const QList<EventStore::Event>& events) {
        QStringList lines;
        for (const EventStore::Event& event : events) {
            const QString format =
                event.isAllDay ? QStringLiteral("yyyy-MM-dd") : QStringLiteral("yyyy-MM-ddTHH:mm'Z'");
            const QDateTime start = event.isAllDay ? event.start : event.start.toUTC();
            const QDateTime end = event.isAllDay ? event.end : event.end.toUTC();
            lines.append(QStringList{event.identifier.value_or(QStringLiteral("-")), start.toString(format),
                                     end.toString(format),
                                     event.isAllDay ? QStringLiteral("all day") : QString(),
                                     event.title.value_or(QStringLiteral("<none>"))}
                             .join(QLatin1Char('|')));
        }
        lines.sort();
        return lines;
    }
    // The reminders of one list or of all, as the store answers on a later turn.
    static QList<EventStore::Reminder> fetch(FolderEventStore& store,
                                             const std::optional<EventStore::Calendar>& list = std::nullopt) {
        QList<EventStore::Reminder> result;
        bool answered = false;
        store.fetchReminders(list, &store, [&](const QList<EventStore::Reminder>& reminders) {
            result = reminders;
            answered = true;
        });
        if (answered)
            qWarning("the reminders were answered before fetchReminders returned");
        QElapsedTimer waited;
        waited.start();
        while (!answered && waited.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return result;
    }
    static QByteArray read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // The properties of the first VTODO of an iCalendar text, one line each, without the ones
    // completion sets (and the stamps every change sets).
    static QStringList todoLinesBesidesCompletion(const QByteArray& text) {
        QStringList lines;
        bool inTodo = false;
        for (const QByteArray& raw : text.split('\n')) {
            const QString line = QString::fromUtf8(raw).trimmed();
            if (line == QLatin1String("BEGIN:VTODO"))
                inTodo = true;
            else if (line == QLatin1String("END:VTODO"))
                break;
            else if (inTodo && !line.startsWith(QLatin1String("STATUS:")) &&
                     !line.startsWith(QLatin1String("COMPLETED:")) &&
                     !line.startsWith(QLatin1String("PERCENT-COMPLETE:")) &&
                     !line.startsWith(QLatin1String("DTSTAMP:")) &&
                     !line.startsWith(QLatin1String("LAST-MODIFIED:")))
                lines.append(line);
        }
        lines.sort();
        return lines;
    }
    // Each occurrence as "start/end" in UTC, sorted.
    static QStringList spans(const QList<EventStore::Event>& events) {
        QStringList lines;
        for (const EventStore::Event& event : events)
            lines.append(event.start.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm'Z'")) +
                         QLatin1Char('/') +
                         event.end.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm'Z'")));
        lines.sort();
        return lines;
    }
    static QDateTime utc(int year, int month, int day, int hour = 0, int minute = 0) {
        return QDateTime(QDate(year, month, day), QTime(hour, minute), QTimeZone::utc());
    }
    // The answer of one fetchEvents over every calendar, or none when it did not come within
    // `wait`; `longestStall` gets the longest the main thread was kept from its loop meanwhile.
    static std::optional<EventStore::EventsAnswer> fetchAll(FolderEventStore& store,
                                                            const EventStore::Range& range, int wait,
                                                            qint64* longestStall = nullptr) {
        std::optional<EventStore::EventsAnswer> result;
        QElapsedTimer turn;
        turn.start();
        store.fetchEvents({range}, &store, [&](const EventStore::EventsAnswer& answer) { result = answer; });
        qint64 stall = turn.elapsed();
        QElapsedTimer waited;
        waited.start();
        while (!result && waited.elapsed() < wait) {
            turn.restart();
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            stall = std::max(stall, turn.elapsed());
            QThread::msleep(1);
        }
        if (longestStall)
            *longestStall = stall;
        return result;
    }
    // The titles of every event in an answer, sorted.
    static QStringList titles(const EventStore::EventsAnswer& answer) {
        QStringList result;
        for (const QList<EventStore::Event>& events : answer.events) {
            for (const EventStore::Event& event : events)
                result.append(event.title.value_or(QString()));
        }
        result.sort();
        return result;
    }
    // Every warning logged while it lives.
    struct Warnings {
        static QStringList& lines() {
            static QStringList all;
            return all;
        }
        QtMessageHandler previous;
        Warnings() {
            lines().clear();
            previous =
                qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
                    if (type == QtWarningMsg)
                        lines().append(text);
                });
        }
        ~Warnings() { qInstallMessageHandler(previous); }
        int count(const QString& part) const {
            return int(std::count_if(lines().begin(), lines().end(),
                                     [&](const QString& line) { return line.contains(part); }));
        }
    };
    // A machine kept busy by other programs, for as long as it lives: every thread of this program
    // but its own is held for 95 ms of every 100 (a signal whose handler sleeps), so what they do
    // takes some twenty times as long as on a quiet machine while the work stays the same.
    class BusyMachine {
    public:
        BusyMachine() {
            struct sigaction action {};
            action.sa_handler = [](int) {
                const int saved = errno;
                const timespec pause{0, 95'000'000};
                nanosleep(&pause, nullptr);
                errno = saved;
            };
            action.sa_flags = SA_RESTART;
            sigemptyset(&action.sa_mask);
            sigaction(SIGUSR2, &action, &m_previous);
            m_holder = std::thread([this] {
                const pid_t self = pid_t(syscall(SYS_gettid));
                while (!m_done.load()) {
                    const QStringList threads =
                        QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
                    for (const QString& thread : threads) {
                        if (thread.toInt() != self)
                            syscall(SYS_tgkill, getpid(), thread.toInt(), SIGUSR2);
                    }
                    std::this_thread::sleep_for(std::chrono::milliseconds(100));
                }
            });
        }
        ~BusyMachine() {
            m_done = true;
            m_holder.join();
            // Ignored first, which drops a signal not yet taken, so none meets the previous action.
            struct sigaction ignore {};
            ignore.sa_handler = SIG_IGN;
            sigaction(SIGUSR2, &ignore, nullptr);
            sigaction(SIGUSR2, &m_previous, nullptr);
        }

    private:
        struct sigaction m_previous {};
        std::atomic<bool> m_done{false};
        std::thread m_holder;
    };
    // TZ for as long as it lives.
    struct LocalZone {
        QByteArray previous;
        bool had;
        explicit LocalZone(const char* zone) : previous(qgetenv("TZ")), had(qEnvironmentVariableIsSet("TZ")) {
            qputenv("TZ", zone);
            tzset();
        }
        ~LocalZone() {
            if (had)
                qputenv("TZ", previous);
            else
                qunsetenv("TZ");
            tzset();
        }
    };
    void writeEvents(const QString& name, const QByteArray& body) {
        QVERIFY(QDir().mkpath(calendars() + QStringLiteral("/work")));
        QVERIFY(write(calendars() + QStringLiteral("/work/") + name, calendar(body)));
    }
    // A file of `count` plain events, each about 400 bytes.
    static QByteArray manyEvents(int count) {
        QByteArray body;
        body.reserve(count * 420);
        for (int n = 0; n < count; ++n) {
            body += "BEGIN:VEVENT\nUID:bulk-" + QByteArray::number(n) +
                    "\nDTSTAMP:20260101T000000Z\nDTSTART:20250101T090000Z\nDTEND:20250101T093000Z\n"
                    "SUMMARY:Bulk event " +
                    QByteArray::number(n) + "\nDESCRIPTION:" + QByteArray(240, 'x') + "\nEND:VEVENT\n";
        }
        return calendar(body);
    }

    void writeTaskLists() {
        QVERIFY(QDir().mkpath(calendars() + QStringLiteral("/tasks")));
        QVERIFY(write(calendars() + QStringLiteral("/tasks/displayname"), "Zeta\n"));
        QVERIFY(write(calendars() + QStringLiteral("/tasks/a.ics"),
                      calendar("BEGIN:VTODO\nUID:a\nDTSTAMP:20260101T000000Z\nSUMMARY:Buy milk\n"
                               "DUE:20260105T170000Z\nX-CLIENT-FIELD:kept as it is\nEND:VTODO\n")));
        QVERIFY(write(calendars() + QStringLiteral("/tasks/b.ics"),
                      calendar("BEGIN:VTODO\nUID:b\nDTSTAMP:20260101T000000Z\nSUMMARY:Done already\n"
                               "STATUS:COMPLETED\nCOMPLETED:20260102T000000Z\nPERCENT-COMPLETE:100\n"
                               "END:VTODO\n")));
        QVERIFY(write(calendars() + QStringLiteral("/tasks/c.ics"),
                      calendar("BEGIN:VTODO\nUID:c\nDTSTAMP:20260101T000000Z\nEND:VTODO\n")));
        QVERIFY(QDir().mkpath(calendars() + QStringLiteral("/errands")));
        QVERIFY(QDir().mkpath(calendars() + QStringLiteral("/work")));
        QVERIFY(
            write(calendars() + QStringLiteral("/work/e.ics"),
                  calendar("BEGIN:VEVENT\nUID:e\nDTSTART:20260105T100000Z\nSUMMARY:Meeting\nEND:VEVENT\n")));
    }

    void writeWorkCalendar() {
        QVERIFY(QDir().mkpath(calendars() + QStringLiteral("/work")));
        QVERIFY(write(calendars() + QStringLiteral("/work/displayname"), "Work\n"));
        QVERIFY(write(calendars() + QStringLiteral("/work/color"), "#34C759FF\n"));
        QVERIFY(write(calendars() + QStringLiteral("/work/tz.ics"), calendar(newYork + R"(BEGIN:VEVENT
UID:tz-1
DTSTART;TZID=America/New_York:20260105T090000
DTEND;TZID=America/New_York:20260105T093000
SUMMARY:New York standup
LOCATION:https://zoom.us/j/1
END:VEVENT
)")));
        QVERIFY(write(calendars() + QStringLiteral("/work/holiday.ics"), calendar(R"(BEGIN:VEVENT
UID:holiday-1
DTSTART;VALUE=DATE:20260105
DTEND;VALUE=DATE:20260106
SUMMARY:Holiday
END:VEVENT
BEGIN:VEVENT
DTSTART:20260105T120000
DTEND:20260105T123000
END:VEVENT
)")));
        QVERIFY(write(calendars() + QStringLiteral("/work/weekly.ics"), calendar(R"(BEGIN:VEVENT
UID:weekly-1
DTSTART:20251201T100000Z
DURATION:PT1H
RRULE:FREQ=WEEKLY
EXDATE:20260112T100000Z
SUMMARY:Weekly review
DESCRIPTION:Notes\, with an escaped comma
END:VEVENT
BEGIN:VEVENT
UID:weekly-1
RECURRENCE-ID:20260119T100000Z
DTSTART:20260119T150000Z
DTEND:20260119T160000Z
SUMMARY:Weekly review (moved)
END:VEVENT
)")));
        QVERIFY(write(calendars() + QStringLiteral("/work/broken.ics"), "this is not a calendar\n"));
        // A folder without events is no event calendar.
        QVERIFY(QDir().mkpath(calendars() + QStringLiteral("/tasks")));
        QVERIFY(write(calendars() + QStringLiteral("/tasks/todo.ics"),
                      calendar("BEGIN:VTODO\nUID:t1\nSUMMARY:Buy milk\nEND:VTODO\n")));
    }

private slots:
    void init() { m_root = std::make_unique<QTemporaryDir>(); }

    void reminderListsHoldToDosOrNothing() {
        writeTaskLists();
        FolderEventStore store(calendars());
        QStringList lists;
        for (const EventStore::Calendar& list : store.reminderLists())
            lists.append(list.identifier + QLatin1Char('=') + list.title);
        QCOMPARE(lists, (QStringList{"errands=errands", "tasks=Zeta"}));
        QCOMPARE(store.defaultListForNewReminders()->identifier, QStringLiteral("errands"));
        QStringList found;
        for (const EventStore::Reminder& reminder : fetch(store))
            found.append(QStringList{reminder.identifier, reminder.title.value_or(QStringLiteral("<none>")),
                                     reminder.isCompleted ? QStringLiteral("done") : QStringLiteral("open"),
                                     reminder.due.toUTC().toString(Qt::ISODate),
                                     reminder.listTitle.value_or(QString())}
                             .join(QLatin1Char('|')));
        QCOMPARE(found, (QStringList{"a|Buy milk|open|2026-01-05T17:00:00Z|Zeta", "b|Done already|done||Zeta",
                                     "c|<none>|open||Zeta"}));
        QCOMPARE(fetch(store, store.reminderLists().first()).size(), 0);
        QCOMPARE(store.reminderWithIdentifier(QStringLiteral("b"))->title,
                 std::optional<QString>("Done already"));
        QVERIFY(!store.reminderWithIdentifier(QStringLiteral("e")));
    }

    void aToggleRewritesOnlyThatToDosFile_data() {
        QTest::addColumn<QString>("uid");
        QTest::addColumn<bool>("completed");
        QTest::addColumn<QStringList>("completion");
        QTest::newRow("completing") << "a" << true
                                    << QStringList{"STATUS:COMPLETED", "COMPLETED:", "PERCENT-COMPLETE:100"};
        QTest::newRow("opening again") << "b" << false << QStringList{"STATUS:NEEDS-ACTION"};
    }
    void aToggleRewritesOnlyThatToDosFile() {
        QFETCH(QString, uid);
        QFETCH(bool, completed);
        QFETCH(QStringList, completion);
        writeTaskLists();
        FolderEventStore store(calendars());
        const QString path = calendars() + QStringLiteral("/tasks/") + uid + QStringLiteral(".ics");
        const QStringList others = QDir(calendars() + QStringLiteral("/tasks")).entryList(QDir::Files);
        QHash<QString, QByteArray> before;
        for (const QString& name : others)
            before.insert(name, read(calendars() + QStringLiteral("/tasks/") + name));
        QString error;
        QVERIFY2(store.setReminderCompleted(uid, completed, &error), qPrintable(error));
        for (const QString& name : others) {
            if (name != uid + QStringLiteral(".ics"))
                QCOMPARE(read(calendars() + QStringLiteral("/tasks/") + name), before.value(name));
        }
        const QByteArray after = read(path);
        QCOMPARE(todoLinesBesidesCompletion(after), todoLinesBesidesCompletion(before.value(uid + ".ics")));
        QStringList set;
        for (const QByteArray& raw : after.split('\n')) {
            const QString line = QString::fromUtf8(raw).trimmed();
            for (const QString& prefix : {QStringLiteral("STATUS:"), QStringLiteral("COMPLETED:"),
                                          QStringLiteral("PERCENT-COMPLETE:")}) {
                if (line.startsWith(prefix))
                    set.append(prefix == QLatin1String("COMPLETED:") ? prefix : line);
            }
        }
        QCOMPARE(set, completion);
        QCOMPARE(store.reminderWithIdentifier(uid)->isCompleted, completed);
    }

    void aCompletionKeepsTheRestOfTheFile_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("uid");
        QTest::addColumn<bool>("completed");
        // Lines that must still be in the file, and the VCALENDAR block that must not change.
        QTest::addColumn<QStringList>("kept");
        QTest::addColumn<int>("untouchedBlock");
        const QByteArray two =
            calendar("BEGIN:VTODO\nUID:first\nDTSTAMP:20260101T000000Z\nSUMMARY:First\nEND:VTODO\n") +
            calendar("X-WR-CALNAME:Other\nBEGIN:VTODO\nUID:second\nDTSTAMP:20260101T000000Z\n"
                     "SUMMARY:Second\nX-OTHER-CLIENT:kept\nEND:VTODO\n");
        QTest::newRow("two calendars, the first to-do")
            << two << "first" << true << QStringList{"X-WR-CALNAME:Other"} << 1;
        QTest::newRow("two calendars, the second to-do")
            << two << "second" << true << QStringList{"X-OTHER-CLIENT:kept"} << 0;
        const QByteArray one =
            calendar("X-WR-CALNAME:Mine\nBEGIN:VTODO\nUID:alarmed\nDTSTAMP:20260101T000000Z\n"
                     "SUMMARY:With an alarm\nX-CLIENT-FIELD:kept as it is\n"
                     "STATUS:COMPLETED\nCOMPLETED:20260102T000000Z\nLAST-MODIFIED:20260102T000000Z\n"
                     "BEGIN:VALARM\nACTION:DISPLAY\nDESCRIPTION:Ring\nTRIGGER:-PT15M\n"
                     "END:VALARM\nEND:VTODO\nBEGIN:VEVENT\nUID:ev\nDTSTART:20260105T100000Z\n"
                     "END:VEVENT\n");
        QTest::newRow("one calendar, X- and VALARM, opened again")
            << one << "alarmed" << false
            << QStringList{"X-WR-CALNAME:Mine", "X-CLIENT-FIELD:kept as it is", "BEGIN:VALARM",
                           "TRIGGER:-PT15M", "UID:ev"}
            << -1;
    }
    void aCompletionKeepsTheRestOfTheFile() {
        QFETCH(QByteArray, file);
        QFETCH(QString, uid);
        QFETCH(bool, completed);
        QFETCH(QStringList, kept);
        QFETCH(int, untouchedBlock);
        QVERIFY(QDir().mkpath(calendars() + QStringLiteral("/tasks")));
        const QString path = calendars() + QStringLiteral("/tasks/list.ics");
        QVERIFY(write(path, file));
        // The VCALENDAR blocks of a text, each from its BEGIN line to its END line.
        auto blocks = [](const QByteArray& text) {
            QList<QByteArray> result;
            for (qsizetype at = text.indexOf("BEGIN:VCALENDAR"); at >= 0;
                 at = text.indexOf("BEGIN:VCALENDAR", at + 1)) {
                const qsizetype end = text.indexOf("END:VCALENDAR", at);
                result.append(text.mid(at, end < 0 ? -1 : end - at));
            }
            return result;
        };
        FolderEventStore store(calendars());
        const qint64 before = QDateTime::currentSecsSinceEpoch();
        QString error;
        QVERIFY2(store.setReminderCompleted(uid, completed, &error), qPrintable(error));
        const qint64 after = QDateTime::currentSecsSinceEpoch();
        const QByteArray written = read(path);

        QCOMPARE(blocks(written).size(), blocks(file).size());
        QVERIFY(!written.contains("XROOT"));
        if (untouchedBlock >= 0)
            QCOMPARE(blocks(written).value(untouchedBlock), blocks(file).value(untouchedBlock));
        for (const QString& line : kept)
            QVERIFY2(written.contains(line.toUtf8()), qPrintable(line));

        // libical reads every to-do back; the changed one carries its new state and stamps.
        icalcomponent* root = icalparser_parse_string(written.constData());
        QVERIFY(root);
        const std::unique_ptr<icalcomponent, void (*)(icalcomponent*)> owner(root, icalcomponent_free);
        QCOMPARE(icalcomponent_count_errors(root), 0);
        QStringList uids;
        icalcomponent* changed = nullptr;
        const bool several = icalcomponent_isa(root) == ICAL_XROOT_COMPONENT;
        for (icalcomponent* each = several ? icalcomponent_get_first_component(root, ICAL_VCALENDAR_COMPONENT)
                                           : root;
             each;
             each = several ? icalcomponent_get_next_component(root, ICAL_VCALENDAR_COMPONENT) : nullptr) {
            for (icalcomponent* todo = icalcomponent_get_first_component(each, ICAL_VTODO_COMPONENT); todo;
                 todo = icalcomponent_get_next_component(each, ICAL_VTODO_COMPONENT)) {
                uids.append(QString::fromUtf8(icalcomponent_get_uid(todo)));
                if (uids.last() == uid)
                    changed = todo;
            }
        }
        QCOMPARE(uids.size(), blocks(file).size() == 2 ? 2 : 1);
        QVERIFY(changed);
        QCOMPARE(icalcomponent_get_status(changed),
                 completed ? ICAL_STATUS_COMPLETED : ICAL_STATUS_NEEDSACTION);
        QCOMPARE(icalcomponent_get_first_property(changed, ICAL_COMPLETED_PROPERTY) != nullptr, completed);
        for (const icalproperty_kind kind : {ICAL_LASTMODIFIED_PROPERTY, ICAL_DTSTAMP_PROPERTY}) {
            QCOMPARE(icalcomponent_count_properties(changed, kind), 1);
            const icaltimetype stamp = icalvalue_get_datetime(
                icalproperty_get_value(icalcomponent_get_first_property(changed, kind)));
            QVERIFY(icaltime_is_utc(stamp));
            const qint64 at = qint64(icaltime_as_timet(stamp));
            QVERIFY2(at >= before && at <= after, qPrintable(QString::number(at)));
        }
        QCOMPARE(store.reminderWithIdentifier(uid)->isCompleted, completed);
    }

    void aQuickAddIsOneNewFile() {
        writeTaskLists();
        FolderEventStore store(calendars());
        const QDir tasks(calendars() + QStringLiteral("/tasks"));
        const QStringList before = tasks.entryList(QDir::Files);
        QString error;
        const std::optional<QString> uid =
            store.addReminder(QStringLiteral("Call Ana, then book"), store.reminderLists().at(1), &error);
        QVERIFY2(uid, qPrintable(error));
        QStringList after = tasks.entryList(QDir::Files);
        for (const QString& name : before)
            after.removeOne(name);
        QCOMPARE(after, QStringList{*uid + QStringLiteral(".ics")});
        const std::optional<EventStore::Reminder> added = store.reminderWithIdentifier(*uid);
        QVERIFY(added);
        QCOMPARE(added->title, std::optional<QString>(QStringLiteral("Call Ana, then book")));
        QVERIFY(!added->isCompleted);
        // An empty list becomes a list with one to-do.
        QVERIFY(store.addReminder(QStringLiteral("x"), store.reminderLists().at(0), &error));
        QCOMPARE(QDir(calendars() + QStringLiteral("/errands")).entryList(QDir::Files).size(), 1);
        // A list that is gone is an error, not a new folder.
        QVERIFY(!store.addReminder(QStringLiteral("x"), {QStringLiteral("gone"), {}, {}}, &error));
        QVERIFY(!QFileInfo::exists(calendars() + QStringLiteral("/gone")));
    }

    void aFileLibicalCannotReadIsNeverRewritten() {
        writeTaskLists();
        const QString path = calendars() + QStringLiteral("/tasks/bad.ics");
        const QByteArray bad = calendar("BEGIN:VTODO\nUID:bad\nSUMMARY:Odd one\nDUE:not a date\n"
                                        "DTSTART;VALUE=PERIOD:garbage\nEND:VTODO\n");
        QVERIFY(write(path, bad));
        FolderEventStore store(calendars());
        QVERIFY(store.reminderWithIdentifier(QStringLiteral("bad")));
        QString error;
        QVERIFY(!store.setReminderCompleted(QStringLiteral("bad"), true, &error));
        QVERIFY2(error.contains(QLatin1String("left unchanged")), qPrintable(error));
        QCOMPARE(read(path), bad);
        QVERIFY(!store.setReminderCompleted(QStringLiteral("nobody"), true, &error));
    }

    void theSubfoldersWithEventsAreTheCalendars() {
        writeWorkCalendar();
        FolderEventStore store(calendars());
        const QList<EventStore::Calendar> found = store.eventCalendars();
        QCOMPARE(found.size(), 1);
        QCOMPARE(found[0].identifier, QStringLiteral("work"));
        QCOMPARE(found[0].title, QStringLiteral("Work"));
        QCOMPARE(found[0].color, QColor(0x34, 0xc7, 0x59));
    }

    void eventsComeFromTheFiles_data() {
        QTest::addColumn<int>("week");
        QTest::addColumn<QStringList>("events");
        QTest::newRow("this monday: zone, all day, floating, weekly")
            << 0
            << QStringList{"-|2026-01-05T12:00Z|2026-01-05T12:30Z||<none>",
                           "holiday-1/20260105|2026-01-05|2026-01-06|all day|Holiday",
                           "tz-1/20260105T140000Z|2026-01-05T14:00Z|2026-01-05T14:30Z||New York standup",
                           "weekly-1/20260105T100000Z|2026-01-05T10:00Z|2026-01-05T11:00Z||Weekly review"};
        QTest::newRow("excluded date") << 1 << QStringList{};
        QTest::newRow("moved occurrence")
            << 2
            << QStringList{
                   "weekly-1/20260119T100000Z|2026-01-19T15:00Z|2026-01-19T16:00Z||Weekly review (moved)"};
    }
    void eventsComeFromTheFiles() {
        QFETCH(int, week);
        QFETCH(QStringList, events);
        writeWorkCalendar();
        FolderEventStore store(calendars());
        const QList<EventStore::Calendar> found = store.eventCalendars();
        QList<EventStore::Event> got =
            store.eventsInRange(dayStart(week), dayStart(week).addSecs(86399), found);
        // The floating event is local wall time: compare it as UTC only where local is UTC.
        for (EventStore::Event& event : got) {
            if (!event.identifier && !event.isAllDay) {
                QCOMPARE(event.start, QDateTime(QDate(2026, 1, 5), QTime(12, 0)));
                event.start = QDateTime(QDate(2026, 1, 5), QTime(12, 0), QTimeZone::utc());
                event.end = event.start.addSecs(1800);
            }
            QCOMPARE(event.calendarColor, QColor(0x34, 0xc7, 0x59));
            if (event.externalIdentifier == QStringLiteral("weekly-1") && week == 0)
                QCOMPARE(event.notes, std::optional<QString>(QStringLiteral("Notes, with an escaped comma")));
        }
        QCOMPARE(describe(got), events);
        // Nothing changed on disk: asking again parses nothing.
        const int parsed = store.parsedFileCount();
        store.eventsInRange(dayStart(week), dayStart(week).addSecs(86399), found);
        QCOMPARE(store.parsedFileCount(), parsed);
    }

    // Events' texts are read from their lines, not by libical: they must read as libical reads
    // them, whatever the line's form, and stay with their own event.
    void anEventsTextsReadAsLibicalReadsThem_data() {
        QTest::addColumn<QByteArray>("file");
        auto event = [](int n, const QByteArray& lines) {
            return "BEGIN:VEVENT\r\nDTSTART:20260105T0900" + QByteArray::number(10 + n) + "Z\r\n" + lines +
                   "END:VEVENT\r\n";
        };
        auto wrap = [](const QByteArray& events) {
            return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//EN\r\n" + events + "END:VCALENDAR\r\n";
        };
        QTest::newRow("escapes, folds, parameters, UTF-8, names in any case")
            << wrap(event(1, "UID:one\r\nSUMMARY:a\\nb\\Nc\\,d\\;e\\\\f\\tg\\\"h\r\n"
                             "LOCATION;LANGUAGE=de;ALTREP=\"cid:a:b\":Caf\xc3\xa9 \xe2\x9c\x93\r\n"
                             "DESCRIPTION:long\r\n  folded\r\n\tagain\\\r\n ,done\r\n") +
                    event(2, "uid:two\r\nsummary:  padded  \r\nLocation:x\\n \r\n"));
        QTest::newRow("forms left to libical: unknown escapes, bad parameters, empty values") << wrap(
            event(1, "UID:one\r\nSUMMARY:a\\xb\\:c\r\nLOCATION;LANGUAGE:x\r\nDESCRIPTION:tail\\\r\n") +
            event(2, "UID:\r\nSUMMARY:   \r\nSUMMARY:second\r\nLOCATION;VALUE=TEXT:v\r\n"
                     "DESCRIPTION;X-A=\"open:x\r\n"));
        QTest::newRow("repeats, alarms and texts of other components") << wrap(
            event(1, "UID:one\r\nSUMMARY:first\r\nSUMMARY:second\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\n"
                     "DESCRIPTION:alarm text\r\nTRIGGER:-PT5M\r\nEND:VALARM\r\n") +
            "BEGIN:VTODO\r\nUID:todo\r\nSUMMARY:to-do\r\nEND:VTODO\r\n" + event(2, "SUMMARY:no uid\r\n"));
        QTest::newRow("two calendars in one file")
            << wrap(event(1, "UID:one\r\nSUMMARY:first calendar\r\n")) +
                   wrap(event(2, "UID:two\r\nSUMMARY:second calendar\r\n"));
        QTest::newRow("an event inside another")
            << wrap(event(1, "UID:outer\r\nBEGIN:VEVENT\r\nUID:inner\r\nSUMMARY:inner\r\nEND:VEVENT\r\n"
                             "SUMMARY:outer\r\n") +
                    event(2, "UID:after\r\nSUMMARY:after\r\n"));
        QTest::newRow("an event's BEGIN line folded")
            << wrap(event(1, "UID:one\r\nSUMMARY:one\r\n") +
                    "BEGIN:VEV\r\n ENT\r\nDTSTART:20260105T090012Z\r\n"
                    "UID:two\r\nSUMMARY:two\r\nEND:VEVENT\r\n" +
                    event(3, "UID:three\r\nSUMMARY:three\r\n"));
        QTest::newRow("exports: languages and HTML beside the text, a fold inside a UTF-8 character") << wrap(
            event(1, "UID:040000008200E00074C5B7101A82E008\r\nSUMMARY;LANGUAGE=en-US:Budget review\r\n"
                     "DESCRIPTION;LANGUAGE=en-US:Hi all\\,\\n\\nPlease join.\\n\r\n"
                     "X-ALT-DESC;FMTTYPE=text/html:<html><body>Hi all</body></html>\r\n"
                     "LOCATION;LANGUAGE=en-US:Microsoft Teams Meeting\r\n") +
            event(2, "UID:7kukuqrfedlm2f9t0vl2@google.com\r\nSUMMARY:Gr\xc3\r\n \xbc\xc3\x9f"
                     "e aus "
                     "M\xc3\xbc\r\n nchen\r\n"
                     "DESCRIPTION:Zoom: https://acme.zoom.us/j/123\\n\\n-::~:~::~:~:~:~:~:~::-\r\n"));
        // The parser names a component by the first name its BEGIN value starts with, blanks
        // included: the second event's texts must not be taken for the first's, although both
        // give the parser three properties.
        QTest::newRow("BEGIN values named as the parser names them")
            << wrap("BEGIN:VEVENT?\r\nDTSTART:20260105T090011Z\r\nUID:one\r\nSUMMARY:one\r\nEND:VEVENT\r\n"
                    "BEGIN: VEVENT\r\nDTSTART:20260105T090012Z\r\nDTEND:20260105T100012Z\r\n"
                    "URL:https://example.com/two\r\nUID:two\r\nSUMMARY:two\r\nEND:VEVENT\r\n" +
                    event(3, "UID:three\r\nSUMMARY:three\r\n"));
        QTest::newRow("lines ending in LF only")
            << wrap(event(1, "UID:one\r\nSUMMARY:plain\\, lf\r\n DESCRIPTION:x\r\n")).replace("\r\n", "\n");
    }
    void anEventsTextsReadAsLibicalReadsThem() {
        QFETCH(QByteArray, file);
        QVERIFY(QDir().mkpath(calendars() + QStringLiteral("/work")));
        QVERIFY(write(calendars() + QStringLiteral("/work/texts.ics"), file));
        // What libical reads: each VEVENT of each top-level VCALENDAR, in order.
        QStringList expected;
        icalcomponent* root = icalparser_parse_string(file.constData());
        const std::unique_ptr<icalcomponent, void (*)(icalcomponent*)> owner(root, icalcomponent_free);
        QList<icalcomponent*> roots{root};
        if (icalcomponent_isa(root) != ICAL_VCALENDAR_COMPONENT) {
            roots.clear();
            for (icalcomponent* inner = icalcomponent_get_first_component(root, ICAL_VCALENDAR_COMPONENT);
                 inner; inner = icalcomponent_get_next_component(root, ICAL_VCALENDAR_COMPONENT))
                roots.append(inner);
        }
        auto text = [](icalcomponent* event, icalproperty_kind kind) {
            icalproperty* property = icalcomponent_get_first_property(event, kind);
            const char* value = property ? icalvalue_get_text(icalproperty_get_value(property)) : nullptr;
            return property ? QString::fromUtf8(value ? value : "") : QStringLiteral("<none>");
        };
        for (icalcomponent* each : std::as_const(roots)) {
            for (icalcomponent* event = icalcomponent_get_first_component(each, ICAL_VEVENT_COMPONENT); event;
                 event = icalcomponent_get_next_component(each, ICAL_VEVENT_COMPONENT))
                expected.append(
                    QStringList{text(event, ICAL_UID_PROPERTY), text(event, ICAL_SUMMARY_PROPERTY),
                                text(event, ICAL_LOCATION_PROPERTY), text(event, ICAL_DESCRIPTION_PROPERTY)}
                        .join(QLatin1Char('|')));
        }
        FolderEventStore store(calendars());
        QList<EventStore::Event> events =
            store.eventsInRange(dayStart(0), dayStart(0).addSecs(86399), store.eventCalendars());
        std::stable_sort(events.begin(), events.end(),
                         [](const auto& a, const auto& b) { return a.start < b.start; });
        QStringList got;
        for (const EventStore::Event& event : std::as_const(events)) {
            const QString none = QStringLiteral("<none>");
            got.append(QStringList{event.externalIdentifier.value_or(none), event.title.value_or(none),
                                   event.location.value_or(none), event.notes.value_or(none)}
                           .join(QLatin1Char('|')));
        }
        QCOMPARE(got, expected);
    }

    void anEditInsideACalendarRefreshesTheService() {
        writeWorkCalendar();
        FolderEventStore store(calendars());
        FakePermissions permissions;
        PermissionsCoordinator coordinator(store, permissions, nullptr);
        FakeClock clock(QDateTime(QDate(2026, 1, 5), QTime(8, 0)));
        CalendarService service(coordinator, nullptr, &clock);
        service.refresh();
        QTRY_COMPARE(service.todaysEvents().size(), 4); // read off the main thread
        QCOMPARE(service.todaysEvents().constFirst().title, QStringLiteral("Holiday")); // all day comes first
        QVERIFY(!service.nextEvent()->isAllDay); // a timed event of today comes before it
        QCOMPARE(service.todaysEvents().constFirst().calendarColor, QColor(0x34, 0xc7, 0x59));

        // A sync tool replaces a file by writing a temporary one and renaming it over.
        QSignalSpy changed(&store, &EventStore::changed);
        const QString temporary = calendars() + QStringLiteral("/work/.tz.ics.tmp");
        QVERIFY(write(temporary, calendar(newYork + R"(BEGIN:VEVENT
UID:tz-1
DTSTART;TZID=America/New_York:20260105T090000
DTEND;TZID=America/New_York:20260105T093000
SUMMARY:New York standup (renamed)
END:VEVENT
)")));
        QVERIFY(::rename(QFile::encodeName(temporary).constData(),
                         QFile::encodeName(calendars() + QStringLiteral("/work/tz.ics")).constData()) == 0);
        QTRY_COMPARE(changed.count(), 1);
        settle();
        QCOMPARE(changed.count(), 1); // once for the burst
        QStringList titles;
        for (const CalendarItem& item : service.todaysEvents())
            titles.append(item.title);
        QVERIFY2(titles.contains(QStringLiteral("New York standup (renamed)")),
                 qPrintable(titles.join(", ")));

        // The replaced file is watched too: an edit in place is seen.
        QVERIFY(write(calendars() + QStringLiteral("/work/tz.ics"), calendar("")));
        QTRY_COMPARE(changed.count(), 2);
        QTRY_COMPARE(service.todaysEvents().size(), 3);
    }

    void seriesOccurInTheirOwnZone_data() {
        QTest::addColumn<QByteArray>("events");
        QTest::addColumn<QDateTime>("from");
        QTest::addColumn<QDateTime>("to");
        QTest::addColumn<QStringList>("occurrences");
        QTest::newRow("UTC UNTIL east of UTC keeps the last, at UNTIL")
            << berlin + "BEGIN:VEVENT\nUID:u1\nDTSTART;TZID=Europe/Berlin:20260316T040000\n"
                        "DTEND;TZID=Europe/Berlin:20260316T050000\n"
                        "RRULE:FREQ=DAILY;UNTIL=20260318T030000Z\nEND:VEVENT\n"
            << utc(2026, 3, 14) << utc(2026, 3, 22)
            << QStringList{"2026-03-16T03:00Z/2026-03-16T04:00Z", "2026-03-17T03:00Z/2026-03-17T04:00Z",
                           "2026-03-18T03:00Z/2026-03-18T04:00Z"};
        QTest::newRow("UTC UNTIL west of UTC ends there")
            << newYork + "BEGIN:VEVENT\nUID:u2\nDTSTART;TZID=America/New_York:20260316T220000\n"
                         "DURATION:PT30M\nRRULE:FREQ=DAILY;UNTIL=20260320T010000Z\nEND:VEVENT\n"
            << utc(2026, 3, 14) << utc(2026, 3, 24)
            << QStringList{"2026-03-17T02:00Z/2026-03-17T02:30Z", "2026-03-18T02:00Z/2026-03-18T02:30Z",
                           "2026-03-19T02:00Z/2026-03-19T02:30Z"};
        QTest::newRow("UTC EXDATE removes its occurrence, across the end of summer time")
            << berlin + "BEGIN:VEVENT\nUID:x1\nDTSTART;TZID=Europe/Berlin:20261006T161500\n"
                        "DTEND;TZID=Europe/Berlin:20261006T171500\nRRULE:FREQ=WEEKLY;COUNT=4\n"
                        "EXDATE:20261013T141500Z\nEND:VEVENT\n"
            << utc(2026, 10, 1) << utc(2026, 11, 5)
            << QStringList{"2026-10-06T14:15Z/2026-10-06T15:15Z", "2026-10-20T14:15Z/2026-10-20T15:15Z",
                           "2026-10-27T15:15Z/2026-10-27T16:15Z"};
        QTest::newRow("UTC RDATE stays at its moment")
            << berlin + "BEGIN:VEVENT\nUID:r1\nDTSTART;TZID=Europe/Berlin:20260318T100000\n"
                        "DTEND;TZID=Europe/Berlin:20260318T110000\nRDATE:20260325T090000Z\nEND:VEVENT\n"
            << utc(2026, 3, 15) << utc(2026, 3, 28)
            << QStringList{"2026-03-18T09:00Z/2026-03-18T10:00Z", "2026-03-25T09:00Z/2026-03-25T10:00Z"};
        QTest::newRow("RDATE period with a duration has its own length")
            << QByteArray("BEGIN:VEVENT\nUID:p1\nDTSTART:20260912T120000Z\nDTEND:20260912T130000Z\n"
                          "RDATE;VALUE=PERIOD:20260913T120000Z/PT2H\nEND:VEVENT\n")
            << utc(2026, 9, 11) << utc(2026, 9, 15)
            << QStringList{"2026-09-12T12:00Z/2026-09-12T13:00Z", "2026-09-13T12:00Z/2026-09-13T14:00Z"};
        QTest::newRow("RDATE period with an end, in a zone")
            << tokyo + "BEGIN:VEVENT\nUID:p2\nDTSTART;TZID=Asia/Tokyo:20260601T090000\n"
                       "DTEND;TZID=Asia/Tokyo:20260601T100000\n"
                       "RDATE;VALUE=PERIOD;TZID=Asia/Tokyo:20260603T090000/20260603T113000\nEND:VEVENT\n"
            << utc(2026, 5, 30) << utc(2026, 6, 5)
            << QStringList{"2026-06-01T00:00Z/2026-06-01T01:00Z", "2026-06-03T00:00Z/2026-06-03T02:30Z"};
        QTest::newRow("an instance made twice is one")
            << tokyo + "BEGIN:VEVENT\nUID:d1\nDTSTART;TZID=Asia/Tokyo:20260601T090000\nDURATION:PT1H\n"
                       "RRULE:FREQ=DAILY;COUNT=3\nRRULE:FREQ=DAILY;COUNT=3\n"
                       "RDATE;TZID=Asia/Tokyo:20260602T090000\nRDATE:20260601T000000Z\nEND:VEVENT\n"
            << utc(2026, 5, 30) << utc(2026, 6, 6)
            << QStringList{"2026-06-01T00:00Z/2026-06-01T01:00Z", "2026-06-02T00:00Z/2026-06-02T01:00Z",
                           "2026-06-03T00:00Z/2026-06-03T01:00Z"};
        QTest::newRow("UTC RECURRENCE-ID moves its occurrence")
            << tokyo + "BEGIN:VEVENT\nUID:m1\nDTSTART;TZID=Asia/Tokyo:20260701T090000\nDURATION:PT1H\n"
                       "RRULE:FREQ=DAILY;COUNT=3\nEND:VEVENT\n"
                       "BEGIN:VEVENT\nUID:m1\nRECURRENCE-ID:20260702T000000Z\n"
                       "DTSTART;TZID=Asia/Tokyo:20260702T150000\nDTEND;TZID=Asia/Tokyo:20260702T160000\n"
                       "END:VEVENT\n"
            << utc(2026, 6, 29) << utc(2026, 7, 5)
            << QStringList{"2026-07-01T00:00Z/2026-07-01T01:00Z", "2026-07-02T06:00Z/2026-07-02T07:00Z",
                           "2026-07-03T00:00Z/2026-07-03T01:00Z"};
        QTest::newRow("libical's prefixed zone name, both ends in it")
            << QByteArray(
                   "BEGIN:VEVENT\nUID:z1\n"
                   "DTSTART;TZID=/freeassociation.sourceforge.net/Tzfile/America/Argentina/Buenos_Aires:"
                   "20260410T190000\n"
                   "DTEND;TZID=/freeassociation.sourceforge.net/Tzfile/America/Argentina/Buenos_Aires:"
                   "20260410T203000\nEND:VEVENT\n")
            << utc(2026, 4, 9) << utc(2026, 4, 12) << QStringList{"2026-04-10T22:00Z/2026-04-10T23:30Z"};
        QTest::newRow("an end before the start is the start")
            << berlin + "BEGIN:VEVENT\nUID:e1\nDTSTART;TZID=Europe/Berlin:20260410T190000\n"
                        "DTEND:20260410T100000Z\nEND:VEVENT\n"
            << utc(2026, 4, 9) << utc(2026, 4, 12) << QStringList{"2026-04-10T17:00Z/2026-04-10T17:00Z"};
        QTest::newRow("summer time ends inside, UTC UNTIL exactly at the last")
            << newYork + "BEGIN:VEVENT\nUID:s1\nDTSTART;TZID=America/New_York:20261030T090000\n"
                         "DURATION:PT1H\nRRULE:FREQ=DAILY;UNTIL=20261102T140000Z\nEND:VEVENT\n"
            << utc(2026, 10, 28) << utc(2026, 11, 6)
            << QStringList{"2026-10-30T13:00Z/2026-10-30T14:00Z", "2026-10-31T13:00Z/2026-10-31T14:00Z",
                           "2026-11-01T14:00Z/2026-11-01T15:00Z", "2026-11-02T14:00Z/2026-11-02T15:00Z"};
        QTest::newRow("every other week for years, across the end of summer time")
            << berlin + "BEGIN:VEVENT\nUID:l1\nDTSTART;TZID=Europe/Berlin:20190107T100000\nDURATION:PT1H\n"
                        "RRULE:FREQ=WEEKLY;INTERVAL=2;BYDAY=MO\nEND:VEVENT\n"
            << utc(2026, 10, 12) << utc(2026, 11, 10)
            << QStringList{"2026-10-19T08:00Z/2026-10-19T09:00Z", "2026-11-02T09:00Z/2026-11-02T10:00Z"};
        QTest::newRow("an occurrence begun days before the range runs into it")
            << QByteArray("BEGIN:VEVENT\nUID:l2\nDTSTART:20200106T090000Z\nDTEND:20200110T170000Z\n"
                          "RRULE:FREQ=WEEKLY\nEND:VEVENT\n")
            << utc(2026, 10, 22) << utc(2026, 10, 23) << QStringList{"2026-10-19T09:00Z/2026-10-23T17:00Z"};
        QTest::newRow("a series that ended years before the range")
            << QByteArray("BEGIN:VEVENT\nUID:l3\nDTSTART:20190101T090000Z\nDURATION:PT1H\n"
                          "RRULE:FREQ=DAILY;UNTIL=20190201T090000Z\nEND:VEVENT\n")
            << utc(2026, 10, 22) << utc(2026, 10, 23) << QStringList{};
    }
    void seriesOccurInTheirOwnZone() {
        QFETCH(QByteArray, events);
        QFETCH(QDateTime, from);
        QFETCH(QDateTime, to);
        QFETCH(QStringList, occurrences);
        // Local time is none of the events' zones, and has its own summer time.
        const LocalZone local("Australia/Adelaide");
        QCOMPARE(QDateTime(QDate(2026, 1, 5), QTime(12, 0)).offsetFromUtc(), 10 * 3600 + 1800);
        writeEvents(QStringLiteral("series.ics"), events);
        FolderEventStore store(calendars());
        QCOMPARE(spans(store.eventsInRange(from, to, store.eventCalendars())), occurrences);
        // The same through the reader thread.
        const std::optional<EventStore::EventsAnswer> answer = fetchAll(store, {from, to}, 5000);
        QVERIFY(answer);
        QCOMPARE(spans(answer->events.value(0)), occurrences);
    }

    void aRefusedOrPartlyReadFileIsLoggedOncePerVersion() {
        writeEvents(QStringLiteral("good.ics"),
                    "BEGIN:VEVENT\nUID:g\nDTSTART:20260105T100000Z\nEND:VEVENT\n");
        const QString refused = calendars() + QStringLiteral("/work/refused.ics");
        const QString partial = calendars() + QStringLiteral("/work/partial.ics");
        QVERIFY(write(refused, "this is not a calendar\n"));
        QVERIFY(write(partial, calendar("BEGIN:VEVENT\nUID:p\nDTSTART:20260105T110000Z\nEND:VEVENT\n"
                                        "BEGIN:VEVENT\nUID:q\nSUMMARY:no start\nEND:VEVENT\n"
                                        "BEGIN:VEVENT\nUID:r\nDTSTART:someday\nEND:VEVENT\n")));
        const Warnings warnings;
        FolderEventStore store(calendars());
        for (int refresh = 0; refresh < 3; ++refresh)
            QCOMPARE(store.eventsInRange(dayStart(0), dayStart(1), store.eventCalendars()).size(), 2);
        QCOMPARE(warnings.count(refused + QStringLiteral(" not read: it is not iCalendar")), 1);
        QCOMPARE(warnings.count(partial + QStringLiteral(" read in part: 2 component(s) dropped")), 1);
        QCOMPARE(warnings.count(QStringLiteral("good.ics")), 0);
        // A new version of the file is a new line.
        QVERIFY(write(refused, "still not a calendar\n"));
        store.eventsInRange(dayStart(0), dayStart(1), store.eventCalendars());
        store.eventsInRange(dayStart(0), dayStart(1), store.eventCalendars());
        QCOMPARE(warnings.count(refused), 2);
        QCOMPARE(warnings.count(partial), 1);
    }

    // A text file and a picture named ".ics" are named in the answer, under their calendar's title,
    // also in a folder that holds nothing else; a file read in part is not.
    void theFilesThatCouldNotBeReadAreNamed() {
        writeEvents(QStringLiteral("good.ics"),
                    "BEGIN:VEVENT\nUID:g\nDTSTART:20260105T100000Z\nEND:VEVENT\n");
        QVERIFY(write(calendars() + QStringLiteral("/work/displayname"), "Work\n"));
        QVERIFY(write(calendars() + QStringLiteral("/work/notes.ics"), "call the plumber\n"));
        QVERIFY(write(calendars() + QStringLiteral("/work/photo.ics"),
                      QByteArray::fromHex("ffd8ffe000104a46494600010100000100010000ffdb004300")));
        QVERIFY(write(calendars() + QStringLiteral("/work/partial.ics"),
                      calendar("BEGIN:VEVENT\nUID:q\nSUMMARY:no start\nEND:VEVENT\n")));
        QVERIFY(QDir().mkpath(calendars() + QStringLiteral("/home")));
        QVERIFY(write(calendars() + QStringLiteral("/home/empty.ics"), ""));
        FolderEventStore store(calendars());
        const std::optional<EventStore::EventsAnswer> answer =
            fetchAll(store, {dayStart(0), dayStart(1)}, 5000);
        QVERIFY(answer);
        QStringList named;
        for (const EventStore::UnreadableFile& file : answer->unreadable)
            named.append(file.calendarTitle + QLatin1Char(' ') + QFileInfo(file.path).fileName() +
                         QStringLiteral(": ") + file.problem);
        QCOMPARE(named, (QStringList{"home empty.ics: it is empty", "Work notes.ics: it is not iCalendar",
                                     "Work photo.ics: it is not iCalendar"}));
        QCOMPARE(titles(*answer).size(), 1);
    }

    void hostileFilesStayWithinTheirBudget_data() {
        QTest::addColumn<QByteArray>("hostile");
        QTest::addColumn<QStringList>("shown");
        // Whether reading it always ends in one warning, or may also pass on a fast machine.
        QTest::addColumn<bool>("alwaysWarned");
        QTest::newRow("a zone that changes every second")
            << calendar(everySecond + "BEGIN:VEVENT\nUID:h1\nSUMMARY:zoned\n"
                                      "DTSTART;TZID=Every/Second:20260105T090000\nDURATION:PT1H\n"
                                      "RRULE:FREQ=DAILY\nEND:VEVENT\n")
            << QStringList{"normal", "zoned"} << true;
        QTest::newRow("a never-ending event every second")
            << calendar("BEGIN:VEVENT\nUID:h2\nSUMMARY:every second\nDTSTART:20200101T000000Z\n"
                        "RRULE:FREQ=SECONDLY\nEND:VEVENT\n")
            << QStringList{"normal"} << true;
        QTest::newRow("every second from just before the day")
            << calendar("BEGIN:VEVENT\nUID:h3\nSUMMARY:every second\nDTSTART:20260104T235000Z\n"
                        "RRULE:FREQ=SECONDLY\nEND:VEVENT\n")
            << QStringList{"normal"} << true;
        QTest::newRow("every second of a day that never comes")
            << calendar("BEGIN:VEVENT\nUID:h4\nSUMMARY:never\nDTSTART:20260101T000000Z\n"
                        "RRULE:FREQ=SECONDLY;BYMONTH=2;BYMONTHDAY=30\nEND:VEVENT\n")
            << QStringList{"normal"} << true;
        QTest::newRow("a 20 MB file") << manyEvents(50000) << QStringList{"normal"} << false;
    }
    void hostileFilesStayWithinTheirBudget() {
        QFETCH(QByteArray, hostile);
        QFETCH(QStringList, shown);
        QFETCH(bool, alwaysWarned);
        writeEvents(QStringLiteral("normal.ics"),
                    "BEGIN:VEVENT\nUID:n\nSUMMARY:normal\nDTSTART:20260105T100000Z\nEND:VEVENT\n");
        QVERIFY(write(calendars() + QStringLiteral("/work/hostile.ics"), hostile));
        FolderEventStore store(calendars());
        CalendarFile::Limits limits;
        limits.perFile = std::chrono::milliseconds(500);
        store.setLimits(limits);
        const Warnings warnings;
        QElapsedTimer took;
        took.start();
        qint64 stall = 0;
        const std::optional<EventStore::EventsAnswer> answer =
            fetchAll(store, {utc(2026, 1, 5), utc(2026, 1, 6)}, 20000, &stall);
        QVERIFY(answer);
        // Its budget, with room for a loaded machine; the main thread was never held for as long as
        // the reading may take.
        QVERIFY2(took.elapsed() < 4000, qPrintable(QString::number(took.elapsed())));
        QVERIFY2(stall < 400, qPrintable(QString::number(stall)));
        QCOMPARE(titles(*answer), shown);
        const int warned = warnings.count(QStringLiteral("hostile.ics"));
        QVERIFY2(alwaysWarned ? warned == 1 : warned <= 1, qPrintable(warnings.lines().join('\n')));
        // The zone read as UTC: 09:00 there is 09:00Z.
        for (const EventStore::Event& event : answer->events.value(0)) {
            if (event.title == QStringLiteral("zoned"))
                QCOMPARE(event.start, utc(2026, 1, 5, 9));
        }
        // Asked again, nothing is worked out afresh.
        took.restart();
        QVERIFY(fetchAll(store, {utc(2026, 1, 5), utc(2026, 1, 6)}, 20000));
        QVERIFY2(took.elapsed() < 1000, qPrintable(QString::number(took.elapsed())));
        QCOMPARE(warnings.count(QStringLiteral("hostile.ics")), warned);
    }

    // The same files read alike on a busy machine: the reading is held to the work it takes, not
    // to the time it is kept waiting for a CPU; a file past its work is still refused, and named.
    void aBusyMachineReadsTheSameFiles_data() {
        QTest::addColumn<int>("workMs");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("unreadable");
        QTest::newRow("a large calendar") << 2000 << QStringList{"large", "normal"} << QString();
        QTest::newRow("a file past its work")
            << 5 << QStringList{"normal"}
            << QStringLiteral("large.ics: it takes more than 0.005 s of work to read");
    }
    void aBusyMachineReadsTheSameFiles() {
        QFETCH(int, workMs);
        QFETCH(QStringList, shown);
        QFETCH(QString, unreadable);
        writeEvents(QStringLiteral("normal.ics"),
                    "BEGIN:VEVENT\nUID:n\nSUMMARY:normal\nDTSTART:20260105T100000Z\nEND:VEVENT\n");
        // 10 MB: a few tenths of a second of work, seconds on the busy machine. One event that day
        // has a long description.
        QByteArray large = manyEvents(25000);
        large.insert(large.indexOf("BEGIN:VEVENT"),
                     "BEGIN:VEVENT\r\nUID:l\r\nSUMMARY:large\r\nDTSTART:20260105T120000Z\r\nDESCRIPTION:" +
                         QByteArray(1 << 20, 'd') + "\r\nEND:VEVENT\r\n");
        QVERIFY(write(calendars() + QStringLiteral("/work/large.ics"), large));
        FolderEventStore store(calendars());
        CalendarFile::Limits limits;
        limits.perFile = std::chrono::milliseconds(workMs);
        store.setLimits(limits);
        std::optional<EventStore::EventsAnswer> answer;
        QElapsedTimer took;
        took.start();
        {
            const BusyMachine busy;
            answer = fetchAll(store, {utc(2026, 1, 5), utc(2026, 1, 6)}, 120000);
        }
        QVERIFY(answer);
        QCOMPARE(titles(*answer), shown);
        QStringList named;
        for (const EventStore::UnreadableFile& file : answer->unreadable)
            named.append(QFileInfo(file.path).fileName() + QStringLiteral(": ") + file.problem);
        QCOMPARE(named, unreadable.isEmpty() ? QStringList() : QStringList{unreadable});
        // Bounded still: a file past its work is let go within a few periods of the busy machine.
        if (!unreadable.isEmpty())
            QVERIFY2(took.elapsed() < 5000, qPrintable(QString::number(took.elapsed())));
    }

    void aNewerFetchOrTheEndAbandonsTheReading() {
        writeEvents(QStringLiteral("big.ics"), QByteArray());
        QVERIFY(write(calendars() + QStringLiteral("/work/big.ics"), manyEvents(50000)));
        writeEvents(QStringLiteral("normal.ics"),
                    "BEGIN:VEVENT\nUID:n\nSUMMARY:normal\nDTSTART:20260105T100000Z\nEND:VEVENT\n");
        {
            FolderEventStore store(calendars());
            QList<int> answered;
            store.fetchEvents({{utc(2026, 1, 5), utc(2026, 1, 6)}}, &store,
                              [&](const EventStore::EventsAnswer&) { answered.append(1); });
            store.fetchEvents({{utc(2026, 1, 5), utc(2026, 1, 6)}}, &store,
                              [&](const EventStore::EventsAnswer&) { answered.append(2); });
            QTRY_VERIFY_WITH_TIMEOUT(!answered.isEmpty(), 20000);
            QTest::qWait(50);
            QCOMPARE(answered, QList<int>{2});
        }
        // The end of the store does not wait for a file being read.
        QVERIFY(write(calendars() + QStringLiteral("/work/big.ics"), manyEvents(50001)));
        auto store = std::make_unique<FolderEventStore>(calendars());
        bool answered = false;
        store->fetchEvents({{utc(2026, 1, 5), utc(2026, 1, 6)}}, store.get(),
                           [&](const EventStore::EventsAnswer&) { answered = true; });
        QTest::qWait(30);
        QElapsedTimer took;
        took.start();
        store.reset();
        QVERIFY2(took.elapsed() < 1000, qPrintable(QString::number(took.elapsed())));
        QCoreApplication::processEvents();
        QVERIFY(!answered);
    }

    void aSlowCalendarFolderDoesNotHoldBackTheOthers_data() {
        QTest::addColumn<QByteArray>("slow");
        QTest::addColumn<QList<QStringList>>("answers");
        QTest::addColumn<bool>("listsWait");
        QByteArray todos;
        for (int n = 0; n < 30000; ++n)
            todos += "BEGIN:VTODO\nUID:todo-" + QByteArray::number(n) + "\nSUMMARY:Task " +
                     QByteArray::number(n) + "\nDESCRIPTION:" + QByteArray(240, 'x') + "\nEND:VTODO\n";
        // First the calendar read at once, then every calendar once the slow one is read too (its
        // 60,000 events take several times the wait for a slow folder, even on a fast machine).
        QTest::newRow("a large calendar of events")
            << manyEvents(60000) << QList<QStringList>{{"work", "normal"}, {"archive", "work", "normal"}}
            << false;
        // The slow folder adds no event: the answer given stands, and is not given again.
        QTest::newRow("a large list of to-dos")
            << calendar(todos) << QList<QStringList>{{"work", "normal"}} << true;
    }
    void aSlowCalendarFolderDoesNotHoldBackTheOthers() {
        QFETCH(QByteArray, slow);
        QFETCH(QList<QStringList>, answers);
        QFETCH(bool, listsWait);
        QVERIFY(QDir().mkpath(calendars() + QStringLiteral("/archive")));
        QVERIFY(write(calendars() + QStringLiteral("/archive/history.ics"), slow));
        writeEvents(QStringLiteral("normal.ics"),
                    "BEGIN:VEVENT\nUID:n\nSUMMARY:normal\nDTSTART:20260105T100000Z\nEND:VEVENT\n");
        writeTaskLists();
        QVERIFY(QFile::remove(calendars() + QStringLiteral("/work/e.ics")));
        FolderEventStore store(calendars());
        // Slow, not hostile: read to the end however busy the machine (a sanitizer build under load).
        CalendarFile::Limits roomy;
        roomy.perFile = std::chrono::seconds(60);
        store.setLimits(roomy);
        QList<QStringList> given;
        store.fetchEvents({{utc(2026, 1, 5), utc(2026, 1, 6)}}, &store,
                          [&](const EventStore::EventsAnswer& answer) {
                              QStringList calendarsAndTitles;
                              for (const EventStore::Calendar& calendar : answer.calendars)
                                  calendarsAndTitles.append(calendar.identifier);
                              given.append(calendarsAndTitles + titles(answer));
                          });
        // The reminders, asked meanwhile, wait only for a folder that may hold to-dos.
        std::optional<int> readWhenListed;
        QStringList lists;
        store.fetchReminderLists(&store, [&](const QList<EventStore::Calendar>& found,
                                             const std::optional<EventStore::Calendar>&) {
            readWhenListed = store.parsedFileCount();
            for (const EventStore::Calendar& list : found)
                lists.append(list.identifier);
        });
        // Every file read (the slow one, normal and three of to-dos), and a while for any answer.
        QTRY_VERIFY_WITH_TIMEOUT(store.parsedFileCount() == 5 && readWhenListed, 60000);
        QTest::qWait(100);
        QCOMPARE(given, answers);
        const QStringList expectedLists =
            listsWait ? QStringList{"archive", "errands", "tasks"} : QStringList{"errands", "tasks"};
        QCOMPARE(lists, expectedLists);
        // Listed while the slow file was still being read, or after it.
        QCOMPARE(*readWhenListed, listsWait ? 5 : 4);
    }

    void savesAnswerOnALaterTurn_data() {
        QTest::addColumn<QString>("save");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("done");
        QTest::newRow("completing") << "complete a" << int(EventStore::SaveAnswer::Kind::saved) << "a";
        QTest::newRow("completing a reminder that is gone")
            << "complete gone" << int(EventStore::SaveAnswer::Kind::missing) << "";
        QTest::newRow("adding to the default list")
            << "add" << int(EventStore::SaveAnswer::Kind::saved) << "";
    }
    void savesAnswerOnALaterTurn() {
        QFETCH(QString, save);
        QFETCH(int, kind);
        QFETCH(QString, done);
        writeTaskLists();
        FolderEventStore store(calendars());
        std::optional<EventStore::SaveAnswer> answer;
        auto keep = [&](const EventStore::SaveAnswer& saved) { answer = saved; };
        if (save == QLatin1String("add"))
            store.saveNewReminder(QStringLiteral("Call Ana"), std::nullopt, &store, keep);
        else
            store.saveReminderCompleted(save.section(QLatin1Char(' '), 1), true, &store, keep);
        QVERIFY(!answer);
        QTRY_VERIFY(answer);
        QCOMPARE(int(answer->kind), kind);
        if (!done.isEmpty())
            QVERIFY(store.reminderWithIdentifier(done)->isCompleted);
        if (save == QLatin1String("add"))
            QCOMPARE(QDir(calendars() + QStringLiteral("/errands")).entryList(QDir::Files).size(), 1);
    }

    void aFirstQuickAddMakesAListOnlyWhereNoneIs() {
        // A fresh store: access given, the folder made, no list in it yet.
        QVERIFY(QDir().mkpath(calendars()));
        FolderEventStore store(calendars());
        std::optional<EventStore::SaveAnswer> answer;
        auto keep = [&](const EventStore::SaveAnswer& saved) { answer = saved; };
        store.saveNewReminder(QStringLiteral("Call Ana"), std::nullopt, &store, keep);
        QTRY_VERIFY(answer);
        QCOMPARE(int(answer->kind), int(EventStore::SaveAnswer::Kind::saved));
        QCOMPARE(QDir(calendars() + QStringLiteral("/reminders")).entryList(QDir::Files).size(), 1);
        QCOMPARE(store.reminderLists().size(), 1);
        // Something else under that name is left alone, and where the folder cannot be made the
        // add says why: not that there is no list.
        const QString folder = calendars() + QStringLiteral("/reminders");
        QDir(folder).removeRecursively();
        QVERIFY(write(folder, QByteArray()));
        for (const QString& why : {QStringLiteral("is already taken"), QStringLiteral("File exists")}) {
            answer.reset();
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression(QStringLiteral("none could be made: .*") + why));
            store.saveNewReminder(QStringLiteral("Call Ana"), std::nullopt, &store, keep);
            QTRY_VERIFY(answer);
            QCOMPARE(int(answer->kind), int(EventStore::SaveAnswer::Kind::failed));
            QVERIFY2(answer->error.startsWith(QStringLiteral("The reminder list could not be made: ")) &&
                         answer->error.contains(why),
                     qPrintable(answer->error));
            // A link to nowhere: nothing there to read, yet no folder can be made under its name.
            QVERIFY(QFile::remove(folder) &&
                    QFile::link(m_root->filePath(QStringLiteral("nowhere")), folder));
        }
        QVERIFY(store.reminderLists().isEmpty());
    }

    void aSaveAskedAsTheStoreEndsIsWritten() {
        writeTaskLists();
        {
            FolderEventStore store(calendars());
            store.saveReminderCompleted(QStringLiteral("a"), true, &store,
                                        [](const EventStore::SaveAnswer&) {});
        }
        QFile file(calendars() + QStringLiteral("/tasks/a.ics"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("STATUS:COMPLETED"));
    }

    void theDefaultFolderIsInTheDataFolder() {
        QCOMPARE(FolderEventStore::defaultFolder(),
                 QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                     QStringLiteral("/com.brimlark.app/calendars"));
        QCOMPARE(FolderEventStore().folder(), FolderEventStore::defaultFolder());
    }

    void aMissingFolderIsNotDetermined() {
        FolderEventStore store(calendars());
        expectStatus(store, PermissionStatus::notDetermined);
    }

    void aReadableFolderIsAuthorized() {
        QVERIFY(QDir().mkpath(calendars()));
        FolderEventStore store(calendars());
        expectStatus(store, PermissionStatus::authorized);
    }

    void somethingElseInItsPlaceIsDenied() {
        QVERIFY(QDir().mkpath(m_root->filePath(QStringLiteral("support"))));
        QVERIFY(write(calendars(), "not a folder"));
        FolderEventStore store(calendars());
        expectStatus(store, PermissionStatus::denied);
        bool granted = true;
        QString error;
        store.requestFullAccess(EventStore::Entity::event, this, [&](bool g, const QString& e) {
            granted = g;
            error = e;
        });
        QVERIFY(!granted);
        QVERIFY(error.contains(calendars()));
    }

    void aRequestCreatesTheFolderAndGrants_data() {
        QTest::addColumn<EventStore::Entity>("entity");
        QTest::newRow("events") << EventStore::Entity::event;
        QTest::newRow("reminders") << EventStore::Entity::reminder;
    }
    void aRequestCreatesTheFolderAndGrants() {
        QFETCH(EventStore::Entity, entity);
        FolderEventStore store(calendars());
        QSignalSpy changed(&store, &EventStore::changed);
        int calls = 0;
        bool granted = false;
        QString error = QStringLiteral("unset");
        store.requestFullAccess(entity, this, [&](bool g, const QString& e) {
            ++calls;
            granted = g;
            error = e;
        });
        QCOMPARE(calls, 1);
        QVERIFY(granted);
        QVERIFY(error.isEmpty());
        QVERIFY(QFileInfo(calendars()).isDir());
        QCOMPARE(QFile::permissions(calendars()) & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteOther),
                 QFile::Permissions());
        expectStatus(store, PermissionStatus::authorized);
        QCOMPARE(changed.count(), 1); // the authorisation changed

        // Asking again grants without another change.
        store.requestFullAccess(entity, this, [&](bool g, const QString&) { granted = g; });
        QVERIFY(granted);
        settle();
        QCOMPARE(changed.count(), 1);
    }

    void aFolderThatCannotBeCreatedIsAnError() {
        QVERIFY(write(m_root->filePath(QStringLiteral("support")), "a file where a folder should be"));
        FolderEventStore store(calendars());
        bool granted = true;
        QString error;
        store.requestFullAccess(EventStore::Entity::event, this, [&](bool g, const QString& e) {
            granted = g;
            error = e;
        });
        QVERIFY(!granted);
        QCOMPARE(error, QStringLiteral("could not create the calendar folder %1").arg(calendars()));
        expectStatus(store, PermissionStatus::notDetermined);
    }

    void changesOfTheFilesAreSignalled() {
        QVERIFY(QDir().mkpath(calendars()));
        FolderEventStore store(calendars());
        QSignalSpy changed(&store, &EventStore::changed);
        const QString file = calendars() + QStringLiteral("/work.ics");

        QVERIFY(write(file, "BEGIN:VCALENDAR\nEND:VCALENDAR\n"));
        QTRY_COMPARE(changed.count(), 1);

        QVERIFY(write(file, "BEGIN:VCALENDAR\nVERSION:2.0\nEND:VCALENDAR\n")); // edited in place
        QTRY_COMPARE(changed.count(), 2);

        QVERIFY(QFile::remove(file));
        QTRY_COMPARE(changed.count(), 3);
        settle();
        QCOMPARE(changed.count(), 3);
        expectStatus(store, PermissionStatus::authorized);
    }

    void theFolderAppearingAndGoingIsSignalled() {
        FolderEventStore store(calendars());
        QSignalSpy changed(&store, &EventStore::changed);

        QVERIFY(QDir().mkpath(calendars())); // another program made it, parents included
        QTRY_COMPARE(changed.count(), 1);
        expectStatus(store, PermissionStatus::authorized);

        QVERIFY(write(calendars() + QStringLiteral("/home.ics"), "BEGIN:VCALENDAR\nEND:VCALENDAR\n"));
        QTRY_COMPARE(changed.count(), 2);

        QVERIFY(QDir(calendars()).removeRecursively());
        QTRY_COMPARE(changed.count(), 3);
        expectStatus(store, PermissionStatus::notDetermined);
    }

    void unrelatedChangesNextToAMissingFolderAreSilent() {
        QVERIFY(QDir().mkpath(m_root->filePath(QStringLiteral("support"))));
        FolderEventStore store(calendars());
        QSignalSpy changed(&store, &EventStore::changed);
        QVERIFY(write(m_root->filePath(QStringLiteral("support/defaults.json")), "{}"));
        QVERIFY(QDir().mkpath(m_root->filePath(QStringLiteral("support/hooks"))));
        settle();
        QCOMPARE(changed.count(), 0);
    }
};

BRIMLARK_TEST_MAIN(TestFolderEventStore)
#include "tst_foldereventstore.moc"
