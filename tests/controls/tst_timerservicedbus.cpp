#include "Brimlark/controls/TimerService.h"
#include "platform/linux/dbus/DBusNotifications.h"
#include "tests/support/FakeNotificationServer.h"
#include "tests/support/RequiredServers.h"
#include "tests/support/StateFixture.h"
#include "tests/support/TestMain.h"

#include <QSignalSpy>

using namespace std::chrono_literals;

// The timer over the real desktop notifications, against a notification server of the test's own
// on a private session bus. Time moves on the fake clock; only the bus is waited for.
class TestTimerServiceDBus : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<StateFixture> f;

private slots:
    void initTestCase() {
        BRIMLARK_REQUIRE_SERVER(QDBusConnection::sessionBus().isConnected(),
                                "a session bus (run under dbus-run-session)");
    }

    void init() { f = std::make_unique<StateFixture>(); }
    void cleanup() { f.reset(); }

    void anEndedTimerReachesTheNotificationServer() {
        FakeNotificationServer server;
        QVERIFY2(server.publish(), qPrintable(server.error()));
        DBusNotifications notifications;
        TimerService timer(f->appState, &notifications, &f->clock);
        QTRY_VERIFY(timer.notifyAuthorized());

        timer.start(1);
        QCoreApplication::processEvents(); // the start notification now waits in the process
        f->clock.advance(1000ms);
        QTRY_COMPARE(server.calls.size(), 1);
        QCOMPARE(server.calls.first().summary, QStringLiteral("timer finished"));
        QVERIFY2(server.calls.first().body.contains(QStringLiteral("your 00:01 timer is up.")),
                 qPrintable(server.calls.first().body));
        f->clock.advance(2500ms);
        QVERIFY(!timer.active());
    }

    void withNoServerTheTimerStillEndsAndClears() {
        const QStringList activatable =
            QDBusConnection::sessionBus().interface()->activatableServiceNames().value();
        if (activatable.contains(QStringLiteral("org.freedesktop.Notifications")))
            QSKIP("this bus starts a notification server on demand");
        // No test on this bus serves the name while this one counts on its having no owner.
        NotificationsTurn turn;
        QVERIFY2(turn.take(), qPrintable(turn.error()));
        DBusNotifications notifications;
        TimerService timer(f->appState, &notifications, &f->clock);
        QSignalSpy answers(&timer, &TimerService::notifyAuthorizedChanged);
        QTRY_COMPARE(answers.count(), 1);
        QVERIFY(!timer.notifyAuthorized());

        timer.start(1);
        QTRY_COMPARE(answers.count(), 2); // the start asks again and is refused again
        QVERIFY(!timer.notifyAuthorized());
        f->clock.advance(1000ms);
        QVERIFY(timer.active());
        f->clock.advance(2500ms);
        QVERIFY(!timer.active());
    }
};

BRIMLARK_TEST_MAIN(TestTimerServiceDBus)
#include "tst_timerservicedbus.moc"
