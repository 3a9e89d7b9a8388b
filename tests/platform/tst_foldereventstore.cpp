#include "Brimlark/core/PermissionsCoordinator.h"
#include "Brimlark/organizer/CalendarService.h"
#include "platform/fake/FakeClock.h"
#include "platform/fake/FakePermissions.h"
#include "platform/linux/FolderEventStore.h"
#include "tests/support/TestMain.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>

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
    // completion sets.
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
                     !line.startsWith(QLatin1String("PERCENT-COMPLETE:")))
                lines.append(line);
        }
        lines.sort();
        return lines;
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
                event.start = QDateTime(QDate(2026, 1, 5), QTime(12, 0), Qt::UTC);
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

    void anEditInsideACalendarRefreshesTheService() {
        writeWorkCalendar();
        FolderEventStore store(calendars());
        FakePermissions permissions;
        PermissionsCoordinator coordinator(store, permissions, nullptr);
        FakeClock clock(QDateTime(QDate(2026, 1, 5), QTime(8, 0)));
        CalendarService service(coordinator, nullptr, &clock);
        service.refresh();
        QCOMPARE(service.todaysEvents().size(), 4);
        QCOMPARE(service.todaysEvents().constFirst().title, QStringLiteral("Holiday")); // all day comes first
        QCOMPARE(service.nextEvent()->title, QStringLiteral("Holiday"));
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
