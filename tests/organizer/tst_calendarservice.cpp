#include "tests/support/CalendarFixture.h"
#include "tests/support/TestMain.h"

#include <QRegularExpression>
#include <QSignalSpy>

namespace {

// A store that holds each fetchEvents until the test answers it, with the events it holds then:
// so answers may come in any order, as from a store that reads off the main thread.
class HeldEventStore final : public EventStore {
public:
    QList<Event> stored;
    QList<std::function<void()>> held;

    PermissionStatus authorizationStatus(Entity) const override { return PermissionStatus::authorized; }
    void requestFullAccess(Entity, const QObject*, std::function<void(bool, const QString&)>) override {}
    QList<Calendar> eventCalendars() override {
        return {{QStringLiteral("work"), QStringLiteral("Work"), {}}};
    }
    QList<Event> eventsInRange(const QDateTime&, const QDateTime&, const QList<Calendar>&) override {
        return stored;
    }
    void fetchEvents(const QList<Range>& ranges, const QObject* context,
                     std::function<void(const EventsAnswer&)> done) override {
        held.append([this, ranges, context, done] { EventStore::fetchEvents(ranges, context, done); });
    }
    QList<Calendar> reminderLists() override { return {}; }
    std::optional<Calendar> defaultListForNewReminders() override { return std::nullopt; }
    void fetchReminders(const std::optional<Calendar>&, const QObject*,
                        std::function<void(const QList<Reminder>&)>) override {}
    std::optional<Reminder> reminderWithIdentifier(const QString&) override { return std::nullopt; }
    bool setReminderCompleted(const QString&, bool, QString*) override { return false; }
    std::optional<QString> addReminder(const QString&, const Calendar&, QString*) override {
        return std::nullopt;
    }
};

EventStore::Event timedEvent(const QString& title, const QDateTime& start) {
    EventStore::Event event;
    event.identifier = title;
    event.title = title;
    event.start = start;
    event.end = start.addSecs(1800);
    event.calendarIdentifier = QStringLiteral("work");
    return event;
}

} // namespace

// Today's events, the next event and its meeting link, from the store the permissions share.
class TestCalendarService : public QObject {
    Q_OBJECT
private:
    static QStringList ids(const QList<CalendarItem>& items) {
        QStringList result;
        for (const CalendarItem& item : items)
            result.append(item.id);
        return result;
    }

private slots:
    void onlyTheLatestRefreshPublishes_data() {
        QTest::addColumn<bool>("olderAnswersFirst");
        QTest::newRow("answers in order") << true;
        QTest::newRow("the older answer last") << false;
    }
    void onlyTheLatestRefreshPublishes() {
        QFETCH(bool, olderAnswersFirst);
        HeldEventStore store;
        FakePermissions permissions;
        PermissionsCoordinator coordinator(store, permissions, nullptr);
        coordinator.refresh();
        FakeClock clock(CalendarFixture::local(9, 0));
        CalendarService service(coordinator, nullptr, &clock);
        store.stored = {timedEvent(QStringLiteral("Old"), CalendarFixture::local(10, 0))};
        service.refresh();
        store.stored = {timedEvent(QStringLiteral("New"), CalendarFixture::local(11, 0))};
        service.refresh();
        QCOMPARE(store.held.size(), 2);
        QSignalSpy published(&service, &CalendarService::todaysEventsChanged);
        if (olderAnswersFirst) {
            store.held[0]();
            store.held[1]();
        } else {
            store.held[1]();
            store.held[0]();
        }
        QCOMPARE(published.count(), 1);
        QCOMPARE(service.todaysEvents().size(), 1);
        QCOMPARE(service.todaysEvents().constFirst().title, QStringLiteral("New"));
        QCOMPARE(service.upcomingTimedEvents().constFirst().title, QStringLiteral("New"));
    }

    void withoutAccessOrCalendarsBothResultsAreEmpty_data() {
        QTest::addColumn<PermissionStatus>("status");
        QTest::addColumn<bool>("calendars");
        QTest::newRow("write only") << PermissionStatus::writeOnly << true;
        QTest::newRow("denied") << PermissionStatus::denied << true;
        QTest::newRow("unknown") << PermissionStatus::notDetermined << true;
        QTest::newRow("no calendars") << PermissionStatus::authorized << false;
    }
    void withoutAccessOrCalendarsBothResultsAreEmpty() {
        QFETCH(PermissionStatus, status);
        QFETCH(bool, calendars);
        CalendarFixture f;
        f.add(QStringLiteral("a"), QStringLiteral("Standup"), f.local(9, 30), f.local(10, 0));
        f.service.refresh();
        QCOMPARE(f.service.todaysEvents().size(), 1);

        f.store.events = status;
        if (!calendars)
            f.store.calendars.clear();
        f.coordinator.refresh();
        QSignalSpy errors(&f.service, &CalendarService::lastErrorChanged);
        f.service.refresh();
        QVERIFY(f.service.todaysEvents().isEmpty());
        QVERIFY(!f.service.nextEvent());
        QCOMPARE(errors.count(), 0); // lastError untouched
    }

    void theDayRunsFromLocalMidnightTo235959_data() {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QStringList>("today");
        // Events: "early" 00:00–00:30, "late" 23:59:45–23:59:50, "tomorrow" 00:00:10–00:30 next day,
        // "yesterday" all of the previous day (ends at midnight).
        QTest::newRow("morning") << CalendarFixture::local(9, 0) << QStringList{"early", "late"};
        QTest::newRow("23:59:30 keeps the day")
            << CalendarFixture::local(23, 59, 30) << QStringList{"early", "late"};
        QTest::newRow("next day") << CalendarFixture::local(0, 0, 5, 1) << QStringList{"tomorrow"};
    }
    void theDayRunsFromLocalMidnightTo235959() {
        QFETCH(QDateTime, now);
        QFETCH(QStringList, today);
        CalendarFixture f;
        f.add(QStringLiteral("late"), QStringLiteral("Late"), f.local(23, 59, 45), f.local(23, 59, 50));
        f.add(QStringLiteral("early"), QStringLiteral("Early"), f.local(0, 0), f.local(0, 30));
        f.add(QStringLiteral("tomorrow"), QStringLiteral("Tomorrow"), f.local(0, 0, 10, 1),
              f.local(0, 30, 0, 1));
        f.add(QStringLiteral("yesterday"), QStringLiteral("Yesterday"), f.local(0, 0, 0, -1), f.local(0, 0));
        f.clock.setNow(now);
        f.service.refresh();
        QCOMPARE(ids(f.service.todaysEvents()), today);
    }

    void theNextEventIsTheFirstByStartThatHasNotEnded() {
        CalendarFixture f; // now 09:00
        f.add(QStringLiteral("soon"), QStringLiteral("Soon"), f.local(9, 10), f.local(9, 40));
        f.add(QStringLiteral("running"), QStringLiteral("Running"), f.local(8, 0), f.local(9, 30));
        f.add(QStringLiteral("ended"), QStringLiteral("Ends now"), f.local(8, 0), f.local(9, 0));
        f.service.refresh();
        QCOMPARE(f.service.nextEvent()->id, QStringLiteral("running"));
        QCOMPARE(ids(f.service.todaysEvents()), (QStringList{"running", "ended", "soon"}));

        // Without the one under way, the one ending exactly now is still not next.
        f.store.storedEvents.removeAt(1);
        f.service.refresh();
        QCOMPARE(f.service.nextEvent()->id, QStringLiteral("soon"));

        // Equal starts keep the store's order; today's all-day event sorts first in the day's list
        // but gives way to the timed events still to come today.
        f.add(QStringLiteral("twin2"), QStringLiteral("Twin"), f.local(9, 5), f.local(9, 20));
        f.add(QStringLiteral("twin1"), QStringLiteral("Twin"), f.local(9, 5), f.local(9, 20));
        f.service.refresh();
        QCOMPARE(f.service.nextEvent()->id, QStringLiteral("twin2"));
        EventStore::Event& allDay =
            f.add(QStringLiteral("allday"), QStringLiteral("Holiday"), f.local(0, 0), f.local(0, 0, 0, 1));
        allDay.isAllDay = true;
        f.service.refresh();
        QCOMPARE(f.service.nextEvent()->id, QStringLiteral("twin2"));
        QCOMPARE(ids(f.service.upcomingTimedEvents()), (QStringList{"twin2", "twin1", "soon"}));
        QCOMPARE(ids(f.service.todaysEvents()), (QStringList{"allday", "ended", "twin2", "twin1", "soon"}));

        // With the timed events over, the all-day event is under way until midnight; after it
        // nothing is left.
        f.clock.setNow(f.local(9, 45));
        f.service.refresh();
        QCOMPARE(f.service.nextEvent()->id, QStringLiteral("allday"));
        f.clock.setNow(f.local(23, 59, 59));
        f.service.refresh();
        QCOMPARE(f.service.nextEvent()->id, QStringLiteral("allday"));
        f.clock.setNow(f.local(0, 0, 1, 1));
        f.service.refresh();
        QVERIFY(!f.service.nextEvent());
        QVERIFY(f.service.todaysEvents().isEmpty());
    }

    void titlesAndIdentifiersComeFromTheStore_data() {
        QTest::addColumn<std::optional<QString>>("title");
        QTest::addColumn<QString>("shown");
        QTest::newRow("no title") << std::optional<QString>() << "(Untitled)";
        QTest::newRow("empty title stays empty") << std::optional<QString>(QString()) << "";
        QTest::newRow("title") << std::optional<QString>(QStringLiteral("Team Sync")) << "Team Sync";
    }
    void titlesAndIdentifiersComeFromTheStore() {
        QFETCH(std::optional<QString>, title);
        QFETCH(QString, shown);
        CalendarFixture f;
        EventStore::Event& event = f.add(QString(), QString(), f.local(10, 0), f.local(11, 0));
        event.title = title;
        event.identifier.reset();
        event.externalIdentifier.reset();
        f.service.refresh();
        const CalendarItem first = *f.service.nextEvent();
        QCOMPARE(first.title, shown);
        QVERIFY(!first.externalIdentifier);
        // No identifier: a fresh upper-case UUID at every refresh.
        QVERIFY(QRegularExpression(QStringLiteral("^[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}$"))
                    .match(first.id)
                    .hasMatch());
        f.service.refresh();
        QVERIFY(f.service.nextEvent()->id != first.id);
        QCOMPARE(f.service.todaysEvents().constFirst().calendarColor, QColor(QStringLiteral("#4a90e2")));
    }

    void conferenceLinks_data() {
        QTest::addColumn<QStringList>("candidates");
        QTest::addColumn<QString>("link");
        const QString none;
        QTest::newRow("event url beats location")
            << QStringList{"https://teams.microsoft.com/l/meetup-join/1", "https://zoom.us/j/2"}
            << "https://teams.microsoft.com/l/meetup-join/1";
        QTest::newRow("location beats notes")
            << QStringList{"https://zoom.us/j/2", "join https://meet.google.com/abc-defg-hij"}
            << "https://zoom.us/j/2";
        QTest::newRow("earlier of two links in notes")
            << QStringList{"first https://meet.google.com/abc-defg-hij then https://zoom.us/j/9"}
            << "https://meet.google.com/abc-defg-hij";
        QTest::newRow("upper-case regional host")
            << QStringList{"https://US02WEB.ZOOM.US/j/1"} << "https://us02web.zoom.us/j/1";
        QTest::newRow("name only in the path") << QStringList{"https://example.com/zoom.us/j/1"} << none;
        QTest::newRow("words without a link") << QStringList{"Zoom call, link in Teams"} << none;
        QTest::newRow("look-alike host") << QStringList{"https://zoom.us.attacker.example/j/1"} << none;
        QTest::newRow("host merely ending in the name") << QStringList{"https://notzoom.us/j/1"} << none;
        QTest::newRow("file link") << QStringList{"file://zoom.us/x"} << none;
        QTest::newRow("bare link in a location")
            << QStringList{"Room 4 / zoom.us/j/123"} << "http://zoom.us/j/123";
        QTest::newRow("www host, trailing stop")
            << QStringList{"Dial in at www.webex.com/meet/ana."} << "http://www.webex.com/meet/ana";
        QTest::newRow("unlisted link before a listed one")
            << QStringList{"agenda https://docs.example.com/1 call (https://acme.webex.com/j/5)"}
            << "https://acme.webex.com/j/5";
    }
    void conferenceLinks() {
        QFETCH(QStringList, candidates);
        QFETCH(QString, link);
        const std::optional<QUrl> found = CalendarService::conferenceURL(candidates);
        QCOMPARE(found ? found->toString() : QString(), link);
    }

    void itemsCarryTheLinkOfTheirUrlLocationAndNotes() {
        CalendarFixture f;
        EventStore::Event& event =
            f.add(QStringLiteral("a"), QStringLiteral("Call"), f.local(10, 0), f.local(11, 0));
        event.location = QStringLiteral("https://zoom.us/j/2");
        event.notes = QStringLiteral("https://meet.google.com/xyz");
        f.service.refresh();
        QCOMPARE(f.service.nextEvent()->conferenceURL,
                 std::optional<QUrl>(QUrl(QStringLiteral("https://zoom.us/j/2"))));

        f.service.join(*f.service.nextEvent());
        QCOMPARE(f.workspace.openedUrls, (QList<QUrl>{QUrl(QStringLiteral("https://zoom.us/j/2"))}));
        // An item made by hand with an unchecked link opens nothing.
        CalendarItem forged = *f.service.nextEvent();
        forged.conferenceURL = QUrl(QStringLiteral("file:///etc/passwd"));
        f.service.join(forged);
        QCOMPARE(f.workspace.openedUrls.size(), 1);
    }

    void openingStartsTheDefaultCalendarApplication_data() {
        QTest::addColumn<Workspace::Launch>("launch");
        QTest::addColumn<QString>("logged");
        QTest::newRow("none installed") << Workspace::Launch{Workspace::Launch::Outcome::notFound, {}} << "";
        QTest::newRow("launched") << Workspace::Launch{Workspace::Launch::Outcome::launched, {}} << "";
        QTest::newRow("failed") << Workspace::Launch{Workspace::Launch::Outcome::failed,
                                                     QStringLiteral("exec failed")}
                                << "open calendar failed: exec failed";
    }
    void openingStartsTheDefaultCalendarApplication() {
        QFETCH(Workspace::Launch, launch);
        QFETCH(QString, logged);
        CalendarFixture f;
        f.workspace.defaultApplicationLaunch = launch;
        CalendarItem item;
        item.externalIdentifier = QStringLiteral("uid-1");
        if (!logged.isEmpty())
            QTest::ignoreMessage(QtCriticalMsg, logged.toUtf8().constData());
        f.service.openInCalendar(item);
        QCOMPARE(f.workspace.openedDefaultApplications, QStringList{QStringLiteral("text/calendar")});
        QVERIFY(f.workspace.openedUrls.isEmpty()); // no link is built from the identifier
    }

    void aStoreChangeRefreshes() {
        CalendarFixture f;
        QSignalSpy next(&f.service, &CalendarService::nextEventChanged);
        f.add(QStringLiteral("a"), QStringLiteral("Standup"), f.local(9, 30), f.local(10, 0));
        emit f.store.changed();
        QCOMPARE(next.count(), 1);
        QCOMPARE(f.service.nextEvent()->title, QStringLiteral("Standup"));
    }

    void itemsAreEqualAndHashedOnEveryField() {
        CalendarItem a;
        a.id = QStringLiteral("x");
        a.startDate = CalendarFixture::local(9, 0);
        a.endDate = a.startDate.addSecs(600);
        CalendarItem b = a;
        QCOMPARE(qHash(a), qHash(b));
        b.location = QString();
        QVERIFY(a != b);
        QVERIFY(qHash(a) != qHash(b)); // absent and empty differ
        b = a;
        b.calendarColor = Qt::red;
        QVERIFY(a != b);
        QVERIFY(qHash(a) != qHash(b));
    }
};

BRIMLARK_TEST_MAIN(TestCalendarService)
#include "tst_calendarservice.moc"
