#include "Brimlark/core/PermissionsCoordinator.h"
#include "Brimlark/organizer/CalendarService.h"
#include "platform/fake/FakeClock.h"
#include "platform/fake/FakePermissions.h"
#include "platform/linux/FolderEventStore.h"
#include "tests/support/TestMain.h"

#include <QDir>
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
