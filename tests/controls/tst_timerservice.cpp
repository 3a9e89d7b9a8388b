#include "Brimlark/controls/TimerService.h"
#include "Brimlark/core/AppState.h"
#include "platform/fake/FakeNotifications.h"
#include "tests/support/StateFixture.h"
#include "tests/support/TestMain.h"

#include <QRegularExpression>
#include <QSignalSpy>

#include <limits>

using namespace std::chrono_literals;

class TestTimerService : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<StateFixture> f;
    std::unique_ptr<FakeNotifications> fake;
    std::unique_ptr<TimerService> timer;

    // A service that finds notifications in the state `authorization` when it is built.
    void rebuild(NotificationAuthorization authorization) {
        timer.reset();
        fake->authorization = authorization;
        timer = std::make_unique<TimerService>(f->appState, fake.get(), &f->clock);
    }

private slots:
    void init() {
        f = std::make_unique<StateFixture>();
        fake = std::make_unique<FakeNotifications>();
        timer = std::make_unique<TimerService>(f->appState, fake.get(), &f->clock);
    }
    void cleanup() {
        timer.reset();
        fake.reset();
        f.reset();
    }

    void durationsAreFormatted_data() {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("59.4") << 59.4 << "00:59";
        QTest::newRow("59.5") << 59.5 << "01:00";
        QTest::newRow("3599.4") << 3599.4 << "59:59";
        QTest::newRow("3600") << 3600.0 << "1:00:00";
        QTest::newRow("5400") << 5400.0 << "1:30:00";
        QTest::newRow("negative") << -3.0 << "00:00";
        QTest::newRow("quarter hour") << 900.0 << "15:00";
        QTest::newRow("half a second short of an hour") << 3599.5 << "1:00:00";
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << "00:00";
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << "00:00";
        QTest::newRow("minus infinity") << -std::numeric_limits<double>::infinity() << "00:00";
        QTest::newRow("hugely negative") << -1e300 << "00:00";
    }
    void durationsAreFormatted() {
        QFETCH(double, seconds);
        QFETCH(QString, text);
        QCOMPARE(formatTimerDuration(seconds), text);
    }

    void anEndlessLengthStillReadsAsHoursMinutesAndSeconds() {
        const QString text = formatTimerDuration(1e300);
        QVERIFY2(
            QRegularExpression(QStringLiteral("^[1-9][0-9]*:[0-5][0-9]:[0-5][0-9]$")).match(text).hasMatch(),
            qPrintable(text));
    }

    void aStartSchedulesTheEndNotificationUnderTheTimersId() {
        timer->start(900);
        QVERIFY(fake->added.isEmpty()); // prepared after start has returned
        QCoreApplication::processEvents();
        QCOMPARE(fake->added.size(), 1);
        const FakeNotifications::Added& request = fake->added.first();
        QCOMPARE(request.identifier, timer->active()->id.toString(QUuid::WithoutBraces).toUpper());
        QCOMPARE(request.delay, std::optional<std::chrono::milliseconds>(900s));
        QCOMPARE(request.content.title, QStringLiteral("timer finished"));
        QCOMPARE(request.content.body, QStringLiteral("your 15:00 timer is up."));
        QCOMPARE(timer->active()->endsAt, f->clock.now().addSecs(900));
    }

    void aLengthThatIsNotANumberEndsAtOnce() {
        timer->start(std::numeric_limits<double>::quiet_NaN());
        QCOMPARE(*timer->active(), *timer->active());
        QCoreApplication::processEvents();
        QCOMPARE(fake->added.first().delay, std::optional<std::chrono::milliseconds>(1s));
        f->clock.advance(500ms);
        QCOMPARE(fake->added.size(), 2);
        f->clock.advance(2500ms);
        QVERIFY(!timer->active());
    }

    void aTimerNotifiesOnceAndClearsAfterItsEnd() {
        timer->start(0.4);
        QCoreApplication::processEvents();
        QCOMPARE(fake->added.size(), 1);
        QCOMPARE(fake->added.first().delay, std::optional<std::chrono::milliseconds>(1s));
        QCOMPARE(fake->added.first().content.title, QStringLiteral("timer finished"));
        QCOMPARE(fake->added.first().content.body, QStringLiteral("your 00:00 timer is up."));
        const QString id = fake->added.first().identifier;
        f->clock.advance(1500ms);
        QCOMPARE(fake->added.size(), 2);
        QCOMPARE(fake->added.last().identifier, QStringLiteral("fired-") + id);
        QVERIFY(timer->active()); // still shown just after its end
        f->clock.advance(1000ms);
        QCOMPARE(fake->added.size(), 2); // once per timer
        f->clock.advance(1500ms);
        QVERIFY(!timer->active());
    }

    void aNewTimerReplacesTheRunningOne() {
        timer->start(900);
        QCoreApplication::processEvents();
        const QString first = fake->added.first().identifier;
        timer->start(1800);
        QCOMPARE(fake->removedPending, QStringList({first}));
        QCOMPARE(timer->active()->total, 1800.0);
        timer->cancel();
        QVERIFY(!timer->active());
    }

    void aTimerReplacedJustAfterItsEndIsGoneForGood() {
        timer->start(1);
        QCoreApplication::processEvents();
        const QString first = fake->added.first().identifier;
        f->clock.advance(1500ms); // ended and notified, not yet cleared
        QCOMPARE(fake->added.last().identifier, QStringLiteral("fired-") + first);
        fake->removedPending.clear();
        fake->removedDelivered.clear();

        timer->start(60);
        QCOMPARE(fake->removedPending, QStringList({first}));
        QCOMPARE(fake->removedDelivered, QStringList({QStringLiteral("fired-") + first}));
        const QUuid second = timer->active()->id;
        QVERIFY(second.toString(QUuid::WithoutBraces).toUpper() != first);
        f->clock.advance(4000ms); // past the moment the old timer would have been cleared
        QVERIFY(timer->active());
        QCOMPARE(timer->active()->id, second);
    }

    void cancellingWithNoTimerOnlyStopsTheTicker() {
        timer->start(1);
        QCoreApplication::processEvents();
        f->clock.advance(4000ms);
        QVERIFY(!timer->active());
        fake->removedPending.clear();
        fake->removedDelivered.clear();
        QSignalSpy changes(timer.get(), &TimerService::activeChanged);
        QSignalSpy ticks(timer.get(), &TimerService::ticked);
        timer->cancel();
        f->clock.advance(2000ms);
        QVERIFY(fake->removedPending.isEmpty());
        QVERIFY(fake->removedDelivered.isEmpty());
        QCOMPARE(changes.count(), 0);
        QCOMPARE(ticks.count(), 0);
    }

    void aLateAnswerToThePromptAddsNothingForAGoneTimer_data() {
        QTest::addColumn<bool>("replaced");
        QTest::newRow("cancelled") << false;
        QTest::newRow("replaced") << true;
    }
    void aLateAnswerToThePromptAddsNothingForAGoneTimer() {
        QFETCH(bool, replaced);
        rebuild(NotificationAuthorization::notDetermined);
        fake->holdRequests = true;
        timer->start(900);
        QCoreApplication::processEvents();
        QCOMPARE(fake->authorizationRequests, 1);
        if (replaced)
            timer->start(1800);
        else
            timer->cancel();
        QCoreApplication::processEvents();
        fake->answerHeldRequests();
        QVERIFY(timer->notifyAuthorized());
        // Only the replacing timer, whose own question was answered too, is scheduled.
        QCOMPARE(fake->added.size(), replaced ? 1 : 0);
        if (replaced)
            QCOMPARE(fake->added.first().identifier,
                     timer->active()->id.toString(QUuid::WithoutBraces).toUpper());
    }

    void eachNotificationFailureIsLoggedAndTheTimerRunsOn_data() {
        QTest::addColumn<QString>("failing");
        QTest::addColumn<QString>("message");
        QTest::newRow("authorisation") << "auth"
                                       << "notification auth failed: no server";
        QTest::newRow("start notification") << "start"
                                            << "notification scheduling failed: no server";
        QTest::newRow("end notification") << "end"
                                          << "notification delivery failed: no server";
    }
    void eachNotificationFailureIsLoggedAndTheTimerRunsOn() {
        QFETCH(QString, failing);
        QFETCH(QString, message);
        if (failing == QLatin1String("auth")) {
            rebuild(NotificationAuthorization::notDetermined);
            fake->requestError = QStringLiteral("no server");
        } else if (failing == QLatin1String("start")) {
            fake->addError = QStringLiteral("no server");
        }
        QTest::ignoreMessage(QtCriticalMsg, qPrintable(message));
        timer->start(1);
        QCoreApplication::processEvents();
        fake->addError = failing == QLatin1String("end") ? QStringLiteral("no server") : QString();
        f->clock.advance(1000ms);
        QVERIFY(timer->active());
        f->clock.advance(2500ms);
        QVERIFY(!timer->active());
        if (failing == QLatin1String("auth"))
            QVERIFY(!timer->notifyAuthorized());
    }

    // A running timer wakes when what it shows changes: its second (to the nearest), the colour at
    // 60 s left, the end; after the end twice a second until it clears.
    void ticksComeWhenTheShownTimeChanges_data() {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("running") << 900.0 << 2 << QStringList{"14:59", "14:58"};
        QTest::newRow("the last minute begins") << 61.2 << 3 << QStringList{"01:00", "01:00", "00:59"};
        QTest::newRow("ending on the last tick") << 2.0 << 3 << QStringList{"00:01", "00:00", "00:00"};
        QTest::newRow("ended") << 0.0 << 4 << QStringList{"00:00", "00:00", "00:00", "00:00"};
    }
    void ticksComeWhenTheShownTimeChanges() {
        QFETCH(double, seconds);
        QFETCH(int, ticks);
        QFETCH(QStringList, shown);
        timer->start(seconds);
        QStringList texts;
        connect(timer.get(), &TimerService::ticked, this, [&] {
            texts.append(
                formatTimerDuration(double(f->clock.now().msecsTo(timer->active()->endsAt)) / 1000.0));
        });
        f->clock.advance(2000ms);
        QCOMPARE(texts.size(), ticks);
        QCOMPARE(texts, shown);
    }

    void withoutNotificationsTheTimerStillRunsAndClears_data() {
        QTest::addColumn<bool>("muted");
        QTest::newRow("muted") << true;
        QTest::newRow("permission refused") << false;
    }
    void withoutNotificationsTheTimerStillRunsAndClears() {
        QFETCH(bool, muted);
        if (muted) {
            f->appState.setNotificationsMuted(true);
        } else {
            rebuild(NotificationAuthorization::denied);
            fake->grantOnRequest = false;
        }
        timer->start(1);
        QCoreApplication::processEvents();
        f->clock.advance(4000ms);
        QVERIFY(fake->added.isEmpty());
        QVERIFY(!timer->active());
    }
};

BRIMLARK_TEST_MAIN(TestTimerService)
#include "tst_timerservice.moc"
