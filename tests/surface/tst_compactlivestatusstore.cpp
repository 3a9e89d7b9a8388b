#include "Brimlark/organizer/CalendarService.h"
#include "Brimlark/surface/CompactLiveStatusStore.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestMain.h"

#include <QSignalSpy>

using namespace std::chrono_literals;
using Kind = CompactLiveStatus::Kind;
using Status = HookEvent::Status;

namespace {

HookEvent hookEvent(Status status, const QDateTime& at, const QString& name = QStringLiteral("Stop")) {
    HookEvent e;
    e.id = QUuid::createUuid();
    e.source = HookEvent::Source::claude;
    e.status = status;
    e.title = QStringLiteral("run tests?");
    e.eventName = name;
    e.timestamp = at;
    return e;
}

MediaRemoteBridge::NowPlaying track(const std::optional<QString>& title, bool playing) {
    MediaRemoteBridge::NowPlaying nowPlaying;
    nowPlaying.title = title;
    nowPlaying.artist = QStringLiteral("artist");
    nowPlaying.isPlaying = playing;
    return nowPlaying;
}

} // namespace

class TestCompactLiveStatusStore : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<ServiceFixture> f;
    std::unique_ptr<CalendarService> calendar;
    std::unique_ptr<CompactLiveStatusStore> store;

    void build() {
        store =
            std::make_unique<CompactLiveStatusStore>(f->aiHooks, f->timer, *calendar, f->media, &f->clock);
        store->start();
        store->recompute();
        deliver();
    }
    // Deliveries come on a later turn of the event loop.
    static void deliver() {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    void advance(std::chrono::milliseconds by) {
        f->clock.advance(by);
        deliver();
    }
    std::optional<Kind> kind() const {
        return store->current() ? std::optional<Kind>(store->current()->kind()) : std::nullopt;
    }
    // The calendar has no event source in this build: its published next timed event is fed as
    // the store hears it.
    void nextEventIn(double seconds, const QString& id = QStringLiteral("standup")) {
        CalendarItem item;
        item.id = id;
        item.title = QStringLiteral("Standup");
        item.startDate = f->clock.now().addMSecs(qint64(seconds * 1000));
        item.endDate = item.startDate.addSecs(1800);
        emit calendar->nextTimedEventChanged(item);
        deliver();
    }

private slots:
    void init() {
        f = std::make_unique<ServiceFixture>();
        calendar = std::make_unique<CalendarService>(f->permissionsCoordinator);
    }
    void cleanup() {
        store.reset();
        calendar.reset();
        f.reset();
    }

    void askingBeatsARunningTimerWhichShowsOnceTheEventIsGone() {
        build();
        f->timer.start(600);
        const HookEvent asking = hookEvent(Status::asking, f->clock.now());
        f->aiHooks.ingest(asking);
        deliver();
        QCOMPARE(store->current(), CompactLiveStatus::ai(asking));
        f->aiHooks.dismiss(asking.id);
        deliver();
        QCOMPARE(store->current(), CompactLiveStatus::timer(*f->timer.active(), false));
    }

    void errorStaysFinishedShowsEightSecondsFromItsOwnTime() {
        build();
        const HookEvent finished = hookEvent(Status::finished, f->clock.now().addSecs(-3));
        f->aiHooks.ingest(finished);
        deliver();
        QCOMPARE(store->current(), CompactLiveStatus::ai(finished));
        advance(4900ms); // 7.9 s after its timestamp
        QCOMPARE(store->current(), CompactLiveStatus::ai(finished));
        advance(100ms);
        QCOMPARE(kind(), std::nullopt);

        const HookEvent error = hookEvent(Status::error, f->clock.now().addDays(-1));
        f->aiHooks.ingest(error);
        advance(60s);
        QCOMPARE(store->current(), CompactLiveStatus::ai(error));
    }

    void workingShowsNothingFromTheAiSide() {
        build();
        f->aiHooks.ingest(hookEvent(Status::working, f->clock.now(), QStringLiteral("SessionStart")));
        deliver();
        QCOMPARE(kind(), std::nullopt);
        f->media.setNowPlaying(track(QStringLiteral("Song"), true));
        deliver();
        QCOMPARE(store->current(), CompactLiveStatus::media(track(QStringLiteral("Song"), true), false));
    }

    void timerClearedAfterItsEndBurstsCancelledDoesNot() {
        build();
        f->timer.start(10);
        const TimerInfo timer = *f->timer.active();
        advance(10s);
        advance(2s); // the service clears a timer two seconds after its end
        QVERIFY(!f->timer.active());
        QCOMPARE(store->current(), CompactLiveStatus::timer(timer, true));
        advance(7900ms);
        QCOMPARE(store->current(), CompactLiveStatus::timer(timer, true));
        advance(100ms);
        QCOMPARE(kind(), std::nullopt);

        f->timer.start(20);
        advance(10s);
        f->timer.cancel();
        deliver();
        QCOMPARE(kind(), std::nullopt);
    }

    void mediaBursts_data() {
        QTest::addColumn<std::optional<QString>>("title");
        QTest::addColumn<bool>("playing");
        QTest::addColumn<std::optional<Kind>>("atStart");
        QTest::addColumn<bool>("burst");
        QTest::addColumn<std::optional<Kind>>("nineSecondsLater");
        const std::optional<Kind> none;
        QTest::newRow("paused titled track") << std::optional<QString>(QStringLiteral("Song")) << false
                                             << std::optional<Kind>(Kind::media) << true << none;
        QTest::newRow("playing titled track")
            << std::optional<QString>(QStringLiteral("Song")) << true << std::optional<Kind>(Kind::media)
            << false << std::optional<Kind>(Kind::media);
        QTest::newRow("playing without title") << std::optional<QString>() << true << none << false << none;
        QTest::newRow("empty title") << std::optional<QString>(QString()) << true << none << false << none;
    }
    void mediaBursts() {
        QFETCH(std::optional<QString>, title);
        QFETCH(bool, playing);
        QFETCH(std::optional<Kind>, atStart);
        QFETCH(bool, burst);
        QFETCH(std::optional<Kind>, nineSecondsLater);
        // The player keeps answering the same track to the service's five-second poll.
        f->bridge.playing = track(title, playing);
        f->media.setNowPlaying(f->bridge.playing);
        build();
        QCOMPARE(kind(), atStart);
        if (atStart)
            QCOMPARE(store->current()->isBurst(), burst);
        advance(9s);
        QCOMPARE(kind(), nineSecondsLater);
    }

    void calendarWindows_data() {
        QTest::addColumn<double>("startsIn");
        QTest::addColumn<bool>("alert");
        QTest::newRow("exactly 900 s") << 900.0 << true;
        QTest::newRow("899.5 s") << 899.5 << true;
        QTest::newRow("899 s") << 899.0 << false;
        QTest::newRow("900.5 s") << 900.5 << false;
        QTest::newRow("exactly at the start") << 0.0 << true;
        QTest::newRow("half a second after") << -0.5 << true;
        QTest::newRow("one second after") << -1.0 << false;
    }
    void calendarWindows() {
        QFETCH(double, startsIn);
        QFETCH(bool, alert);
        build();
        nextEventIn(startsIn);
        QCOMPARE(kind(), alert ? std::optional<Kind>(Kind::calendar) : std::nullopt);
        if (alert) {
            advance(4900ms);
            QCOMPARE(kind(), std::optional<Kind>(Kind::calendar));
            advance(100ms);
            QCOMPARE(kind(), std::nullopt);
        }
    }

    void alertsFollowTheNextTimedEvent_data() {
        QTest::addColumn<bool>("allDayToday");
        QTest::addColumn<int>("meetingIn");
        QTest::addColumn<bool>("alert");
        QTest::newRow("all-day event today, meeting in 15 minutes") << true << 900 << true;
        QTest::newRow("all-day event today, meeting starting now") << true << 0 << true;
        QTest::newRow("all-day event today, meeting in 20 minutes") << true << 1200 << false;
        QTest::newRow("no all-day event, meeting in 15 minutes") << false << 900 << true;
    }
    void alertsFollowTheNextTimedEvent() {
        QFETCH(bool, allDayToday);
        QFETCH(int, meetingIn);
        QFETCH(bool, alert);
        f->eventStore.events = PermissionStatus::authorized;
        f->eventStore.calendars = {{QStringLiteral("work"), QStringLiteral("Work"), QColor()}};
        f->permissionsCoordinator.refresh();
        auto add = [&](const QString& id, const QDateTime& start, const QDateTime& end, bool allDay) {
            EventStore::Event event;
            event.identifier = id;
            event.title = id;
            event.start = start;
            event.end = end;
            event.isAllDay = allDay;
            event.calendarIdentifier = QStringLiteral("work");
            f->eventStore.storedEvents.append(event);
        };
        const QDateTime midnight(f->clock.now().toLocalTime().date(), QTime(0, 0));
        if (allDayToday)
            add(QStringLiteral("Birthday"), midnight.toUTC(), midnight.addDays(1).toUTC(), true);
        const QDateTime meeting = f->clock.now().addSecs(meetingIn);
        add(QStringLiteral("Meeting"), meeting, meeting.addSecs(1800), false);
        calendar = std::make_unique<CalendarService>(f->permissionsCoordinator, nullptr, &f->clock);
        calendar->refresh();
        build();

        // The pane's next event is still the all-day one; the alert is the meeting's.
        QCOMPARE(calendar->nextEvent()->title,
                 allDayToday ? QStringLiteral("Birthday") : QStringLiteral("Meeting"));
        QCOMPARE(calendar->nextTimedEvent()->title, QStringLiteral("Meeting"));
        QCOMPARE(kind(), alert ? std::optional<Kind>(Kind::calendar) : std::nullopt);
        if (alert)
            QCOMPARE(store->current()->calendarItem()->title, QStringLiteral("Meeting"));
    }

    void eachAlertIsRaisedOncePerEvent() {
        build();
        nextEventIn(900.0);
        QCOMPARE(kind(), std::optional<Kind>(Kind::calendar));
        advance(5s);
        // The same event seen again inside its window, or back after a gap, raises nothing.
        emit calendar->nextTimedEventChanged(std::nullopt);
        deliver();
        CalendarItem again;
        again.id = QStringLiteral("standup");
        again.title = QStringLiteral("Standup");
        again.startDate = f->clock.now().addMSecs(899500);
        emit calendar->nextTimedEventChanged(again);
        deliver();
        QCOMPARE(kind(), std::nullopt);
        // A different next event drops the first one's record.
        nextEventIn(900.0, QStringLiteral("review"));
        QCOMPARE(kind(), std::optional<Kind>(Kind::calendar));
    }

    void theTickPublishesOnWholeSecondsWithoutDrift() {
        build();
        QSignalSpy published(store.get(), &CompactLiveStatusStore::currentChanged);
        // Next event 905 s ahead: the fifteen-minute window is reached by the tick alone.
        nextEventIn(905.3);
        published.clear();
        for (int i = 0; i < 10; ++i)
            f->clock.advance(1s);
        QCOMPARE(published.count(), 10);
        QCOMPARE(kind(), std::optional<Kind>(Kind::calendar));
        // Equal values are published again; a consumer comparing them sees no change.
        QCOMPARE(published.at(8).at(0).value<std::optional<CompactLiveStatus>>(),
                 published.at(9).at(0).value<std::optional<CompactLiveStatus>>());
    }

    // Observers hear of a running countdown every second, and of the burst and what follows it
    // every second after it is gone.
    void everySecondIsPublishedWhileACountdownRunsAndAfter() {
        build();
        f->timer.start(5);
        deliver();
        QSignalSpy published(store.get(), &CompactLiveStatusStore::currentChanged);
        for (int second = 0; second < 20; ++second) {
            published.clear();
            advance(1s);
            QVERIFY2(!published.isEmpty(), qPrintable(QStringLiteral("nothing in second %1").arg(second)));
        }
        QVERIFY(!f->timer.active());
        QCOMPARE(kind(), std::nullopt);
    }

    // The tick's timer runs on a steady clock while the store reads wall-clock time. A wall clock set
    // back must not hold the tick (the countdown and the calendar's one-second windows hang on it)
    // nor keep a burst up for the length of the step.
    void aWallClockSetBackKeepsTheTickAndEndsTheBurst_data() {
        QTest::addColumn<qint64>("stepMs");
        QTest::newRow("back an hour") << qint64(-3600 * 1000);
        QTest::newRow("back three seconds") << qint64(-3000);
    }
    void aWallClockSetBackKeepsTheTickAndEndsTheBurst() {
        QFETCH(qint64, stepMs);
        build();
        f->timer.start(10);
        advance(10s);
        advance(2s); // cleared by the service: the "timer finished" burst begins
        QCOMPARE(kind(), std::optional<Kind>(Kind::timer));
        QVERIFY(store->current()->isBurst());
        advance(400ms);
        f->clock.stepWallClock(std::chrono::milliseconds(stepMs));
        nextEventIn(10.0); // a meeting starting 10 s after the new wall time
        QSignalSpy published(store.get(), &CompactLiveStatusStore::currentChanged);
        QList<std::optional<Kind>> perSecond;
        for (int i = 0; i < 30; ++i) {
            f->clock.advance(1s);
            perSecond.append(kind());
        }
        QCOMPARE(published.count(), 30);
        // The ticks come 0.6 s, 1.6 s, ... after the step. The burst lasts at most its 8 s from the
        // step, not the step as well; the meeting's start is met by the tick at 10.6 s.
        QCOMPARE(perSecond.at(7), std::optional<Kind>(Kind::timer));
        QCOMPARE(perSecond.at(8), std::nullopt);
        QCOMPARE(perSecond.at(10), std::optional<Kind>(Kind::calendar));
    }

    void aFinishedEventStampedAheadOfTheClockShowsEightSeconds_data() {
        QTest::addColumn<qint64>("stampedAheadMs");
        QTest::addColumn<qint64>("stepMs");
        QTest::newRow("clock set back an hour after it") << qint64(0) << qint64(-3600 * 1000);
        QTest::newRow("stamped an hour ahead") << qint64(3600 * 1000) << qint64(0);
    }
    void aFinishedEventStampedAheadOfTheClockShowsEightSeconds() {
        QFETCH(qint64, stampedAheadMs);
        QFETCH(qint64, stepMs);
        build();
        const HookEvent finished = hookEvent(Status::finished, f->clock.now().addMSecs(stampedAheadMs));
        f->aiHooks.ingest(finished);
        deliver();
        f->clock.stepWallClock(std::chrono::milliseconds(stepMs));
        store->recompute(); // as any change would
        QCOMPARE(store->current(), CompactLiveStatus::ai(finished));
        advance(7s);
        QCOMPARE(store->current(), CompactLiveStatus::ai(finished));
        advance(1s);
        QCOMPARE(kind(), std::nullopt);
    }

    void equality() {
        TimerInfo timer{QUuid::createUuid(), 60, f->clock.now()};
        QVERIFY(CompactLiveStatus::timer(timer, false) != CompactLiveStatus::timer(timer, true));
        MediaRemoteBridge::NowPlaying a = track(QStringLiteral("Song"), true);
        MediaRemoteBridge::NowPlaying b = a;
        b.artwork = QImage(4, 4, QImage::Format_RGB32);
        QCOMPARE(CompactLiveStatus::media(a, false), CompactLiveStatus::media(b, false));
        QVERIFY(CompactLiveStatus::media(a, false) != CompactLiveStatus::timer(timer, false));
    }
};

BRIMLARK_TEST_MAIN(TestCompactLiveStatusStore)
#include "tst_compactlivestatusstore.moc"
