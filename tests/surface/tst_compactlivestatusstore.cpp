#include "Brimlark/organizer/CalendarService.h"
#include "Brimlark/surface/CompactHiddenStatusView.h"
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
    // The calendar has no event source in this build: its published timed events are fed as the
    // store hears them.
    void nextEventIn(double seconds, const QString& id = QStringLiteral("standup")) {
        CalendarItem item;
        item.id = id;
        item.title = QStringLiteral("Standup");
        item.startDate = f->clock.now().addMSecs(qint64(seconds * 1000));
        item.endDate = item.startDate.addSecs(1800);
        emit calendar->upcomingTimedEventsChanged({item});
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

    // Each alert reads as of its own moment, wherever in its window it was raised and for as long as
    // it shows: the fifteen-minute one "in 15 min".
    void calendarWindows_data() {
        QTest::addColumn<double>("startsIn");
        QTest::addColumn<QString>("reads");
        const QString fifteen = QStringLiteral("standup • in 15 min");
        const QString now = QStringLiteral("standup • now");
        QTest::newRow("exactly 900 s") << 900.0 << fifteen;
        QTest::newRow("899.5 s") << 899.5 << fifteen;
        QTest::newRow("899.1 s") << 899.1 << fifteen;
        QTest::newRow("899 s") << 899.0 << QString();
        QTest::newRow("900.5 s") << 900.5 << QString();
        QTest::newRow("exactly at the start") << 0.0 << now;
        QTest::newRow("half a second after") << -0.5 << now;
        QTest::newRow("one second after") << -1.0 << QString();
    }
    void calendarWindows() {
        QFETCH(double, startsIn);
        QFETCH(QString, reads);
        const auto headline = [this] {
            return CompactHiddenStatusView::contentFor(*store->current(), f->clock.now()).headline;
        };
        build();
        nextEventIn(startsIn);
        QCOMPARE(kind(), !reads.isEmpty() ? std::optional<Kind>(Kind::calendar) : std::nullopt);
        if (!reads.isEmpty()) {
            QCOMPARE(headline(), reads);
            advance(4900ms);
            QCOMPARE(kind(), std::optional<Kind>(Kind::calendar));
            QCOMPARE(headline(), reads);
            advance(100ms);
            QCOMPARE(kind(), std::nullopt);
        }
    }

    // The closed notch watched second by second over a day's mix: each entry is "title start end"
    // in seconds from now, or "title allday"; each alert is "second title" when it comes up.
    void everyTimedEventRaisesItsAlerts_data() {
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<int>("watch");
        QTest::addColumn<QString>("next");
        QTest::addColumn<QStringList>("alerts");
        QTest::newRow("all-day event, a meeting under way, a call in 16 minutes")
            << QStringList{"Birthday allday", "Meeting -600 3000", "Call 960 2760"} << 1000 << "Meeting"
            << QStringList{"60 Call", "960 Call"};
        QTest::newRow("back to back: one's start and the other's fifteen minutes fall together")
            << QStringList{"First 905 1805", "Second 1805 2705"} << 1810 << "First"
            << QStringList{"5 First", "905 First", "910 Second", "1805 Second"};
        QTest::newRow("overlapping while another meeting runs")
            << QStringList{"Running -300 1500", "Review 120 1920", "Sync 1000 2000"} << 1010 << "Running"
            << QStringList{"100 Sync", "120 Review", "1000 Sync"};
        QTest::newRow("one ends as the next starts")
            << QStringList{"Over -1800 -60", "Call -60 180", "Third 180 1800"} << 200 << "Call"
            << QStringList{"180 Third"};
        QTest::newRow("two start together") << QStringList{"Birthday allday", "Pair 30 600", "Twin 30 900"}
                                            << 40 << "Pair" << QStringList{"30 Pair", "35 Twin"};
        QTest::newRow("an all-day event alone raises nothing")
            << QStringList{"Birthday allday"} << 30 << "Birthday" << QStringList{};
    }
    void everyTimedEventRaisesItsAlerts() {
        QFETCH(QStringList, events);
        QFETCH(int, watch);
        QFETCH(QString, next);
        QFETCH(QStringList, alerts);
        f->clock.setNow(QDateTime(QDate(2026, 3, 4), QTime(10, 0)));
        f->eventStore.events = PermissionStatus::authorized;
        f->eventStore.calendars = {{QStringLiteral("work"), QStringLiteral("Work"), QColor()}};
        f->permissionsCoordinator.refresh();
        const QDateTime now = f->clock.now();
        const QDateTime midnight(now.toLocalTime().date(), QTime(0, 0));
        for (const QString& entry : std::as_const(events)) {
            const QStringList parts = entry.split(QLatin1Char(' '));
            EventStore::Event event;
            event.identifier = parts[0];
            event.title = parts[0];
            event.isAllDay = parts[1] == QLatin1String("allday");
            event.start = event.isAllDay ? midnight : now.addSecs(parts[1].toInt());
            event.end = event.isAllDay ? midnight.addDays(1) : now.addSecs(parts[2].toInt());
            event.calendarIdentifier = QStringLiteral("work");
            f->eventStore.storedEvents.append(event);
        }
        calendar = std::make_unique<CalendarService>(f->permissionsCoordinator, nullptr, &f->clock);
        calendar->refresh();
        build();
        QCOMPARE(calendar->nextEvent()->title, next);

        QStringList seen;
        std::optional<QString> shown;
        for (int second = 0; second <= watch; ++second) {
            if (second > 0)
                advance(1s);
            std::optional<QString> title;
            if (kind() == Kind::calendar)
                title = store->current()->calendarItem()->title;
            if (title && title != shown)
                seen.append(QStringLiteral("%1 %2").arg(second).arg(*title));
            shown = title;
        }
        QCOMPARE(seen, alerts);
    }

    void eachAlertIsRaisedOncePerEvent() {
        build();
        nextEventIn(900.0);
        QCOMPARE(kind(), std::optional<Kind>(Kind::calendar));
        advance(5s);
        // The same event seen again inside its window, or back after a gap, raises nothing.
        emit calendar->upcomingTimedEventsChanged({});
        deliver();
        CalendarItem again;
        again.id = QStringLiteral("standup");
        again.title = QStringLiteral("Standup");
        again.startDate = f->clock.now().addMSecs(899500);
        emit calendar->upcomingTimedEventsChanged({again});
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
