#include "Brimlark/controls/TimerService.h"
#include "Brimlark/core/AppState.h"
#include "platform/fake/FakeNotifications.h"
#include "tests/support/StateFixture.h"
#include "tests/support/TestMain.h"

#include <QSignalSpy>

using namespace std::chrono_literals;

class TestTimerService : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<StateFixture> f;
    FakeNotifications notifications;
    std::unique_ptr<TimerService> timer;

private slots:
    void init() {
        f = std::make_unique<StateFixture>();
        notifications.added.clear();
        notifications.removedPending.clear();
        notifications.removedDelivered.clear();
        notifications.authorization = NotificationAuthorization::authorized;
        timer = std::make_unique<TimerService>(f->appState, &notifications, &f->clock);
    }
    void cleanup() {
        timer.reset();
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
    }
    void durationsAreFormatted() {
        QFETCH(double, seconds);
        QFETCH(QString, text);
        QCOMPARE(formatTimerDuration(seconds), text);
    }

    void aTimerNotifiesOnceAndClearsAfterItsEnd() {
        timer->start(0.4);
        QCoreApplication::processEvents();
        QCOMPARE(notifications.added.size(), 1);
        QCOMPARE(notifications.added.first().delay, std::optional<std::chrono::milliseconds>(1s));
        QCOMPARE(notifications.added.first().content.title, QStringLiteral("timer finished"));
        QCOMPARE(notifications.added.first().content.body, QStringLiteral("your 00:00 timer is up."));
        const QString id = notifications.added.first().identifier;
        f->clock.advance(1500ms);
        QCOMPARE(notifications.added.size(), 2);
        QCOMPARE(notifications.added.last().identifier, QStringLiteral("fired-") + id);
        QVERIFY(timer->active()); // still shown just after its end
        f->clock.advance(1000ms);
        QCOMPARE(notifications.added.size(), 2); // once per timer
        f->clock.advance(1500ms);
        QVERIFY(!timer->active());
    }

    void aNewTimerReplacesTheRunningOne() {
        timer->start(900);
        QCoreApplication::processEvents();
        const QString first = notifications.added.first().identifier;
        timer->start(1800);
        QCOMPARE(notifications.removedPending, QStringList({first}));
        QCOMPARE(timer->active()->total, 1800.0);
        timer->cancel();
        QVERIFY(!timer->active());
    }

    void mutedNotificationsStillRunTheTimer() {
        f->appState.setNotificationsMuted(true);
        timer->start(1);
        QCoreApplication::processEvents();
        f->clock.advance(4000ms);
        QVERIFY(notifications.added.isEmpty());
        QVERIFY(!timer->active());
    }
};

BRIMLARK_TEST_MAIN(TestTimerService)
#include "tst_timerservice.moc"
