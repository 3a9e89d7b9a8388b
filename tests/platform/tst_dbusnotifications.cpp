#include "platform/linux/dbus/DBusNotifications.h"
#include "tests/support/FakeNotificationServer.h"
#include "tests/support/RequiredServers.h"
#include "tests/support/TestMain.h"

using namespace std::chrono_literals;

class TestDBusNotifications : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<FakeNotificationServer> m_server;

    void answerHeldNotifies() { m_server->answerHeldNotifies(); }

    static NotificationAuthorization status(DBusNotifications& notifications) {
        std::optional<NotificationAuthorization> result;
        notifications.authorizationStatus(&notifications, [&](NotificationAuthorization s) { result = s; });
        (void)QTest::qWaitFor([&] { return result.has_value(); }, 5000);
        return result.value_or(NotificationAuthorization::notDetermined);
    }

    static QString add(DBusNotifications& notifications, const QString& identifier,
                       const NotificationContent& content) {
        std::optional<QString> error;
        notifications.add(identifier, content, std::nullopt, &notifications,
                          [&](const QString& e) { error = e; });
        (void)QTest::qWaitFor([&] { return error.has_value(); }, 5000);
        return error.value_or(QStringLiteral("no answer"));
    }

private slots:
    void initTestCase() {
        BRIMLARK_REQUIRE_SERVER(QDBusConnection::sessionBus().isConnected(),
                                "a session bus (run under dbus-run-session)");
    }

    void init() {
        m_server = std::make_unique<FakeNotificationServer>();
        QVERIFY2(m_server->publish(), qPrintable(m_server->error()));
    }

    void cleanup() { m_server.reset(); }

    void authorisedWhileAServerOwnsTheName() {
        DBusNotifications notifications;
        QCOMPARE(status(notifications), NotificationAuthorization::authorized);
        bool granted = false;
        bool answered = false;
        notifications.requestAuthorization(this, [&](bool g, const QString&) {
            granted = g;
            answered = true;
        });
        QTRY_VERIFY(answered);
        QVERIFY(granted);
        m_server->releaseName();
        QTRY_COMPARE(status(notifications), NotificationAuthorization::denied);
    }

    void postsEscapedTextWhenTheServerTakesMarkup() {
        DBusNotifications notifications;
        NotificationContent content{QStringLiteral("claude is asking"), QStringLiteral("claude"),
                                    QStringLiteral("approve <b>rm</b> & \"x\""), true};
        QCOMPARE(add(notifications, QStringLiteral("ai-hook-1"), content), QString());
        QCOMPARE(m_server->calls.size(), 1);
        const FakeNotificationServer::Call& call = m_server->calls.first();
        QCOMPARE(call.appName, QStringLiteral("Brimlark"));
        QCOMPARE(call.replacesId, 0u);
        QCOMPARE(call.summary, QStringLiteral("claude is asking"));
        QCOMPARE(call.body, QStringLiteral("approve &lt;b&gt;rm&lt;/b&gt; &amp; &quot;x&quot;"));
        QCOMPARE(call.expireTimeout, -1);
        QCOMPARE(call.hints.value(QStringLiteral("sound-name")).toString(),
                 QStringLiteral("message-new-instant"));
        QCOMPARE(call.hints.value(QStringLiteral("desktop-entry")).toString(),
                 QStringLiteral("com.brimlark.app"));

        // The same identifier replaces the shown notification.
        content.sound = false;
        QCOMPARE(add(notifications, QStringLiteral("ai-hook-1"), content), QString());
        QCOMPARE(m_server->calls.at(1).replacesId, 101u);
        QCOMPARE(m_server->calls.at(1).hints.value(QStringLiteral("suppress-sound")).toBool(), true);
    }

    void postsPlainTextWhenTheServerTakesNone() {
        m_server->capabilities = {QStringLiteral("body")};
        DBusNotifications notifications;
        NotificationContent content{QStringLiteral("a < b"), QString(), QStringLiteral("<i>x</i>"), true};
        QCOMPARE(add(notifications, QStringLiteral("ai-hook-2"), content), QString());
        QCOMPARE(m_server->calls.first().summary, QStringLiteral("a < b"));
        QCOMPARE(m_server->calls.first().body, QStringLiteral("<i>x</i>"));
    }

    void removingADeliveredNotificationClosesIt() {
        DBusNotifications notifications;
        QCOMPARE(add(notifications, QStringLiteral("ai-hook-3"),
                     NotificationContent{QStringLiteral("t"), {}, {}, true}),
                 QString());
        notifications.removeDelivered({QStringLiteral("ai-hook-3"), QStringLiteral("unknown")});
        QTRY_COMPARE(m_server->closed, QList<uint>{101u});
    }

    void aNotificationRemovedOnItsWayIsWithdrawn() {
        DBusNotifications notifications;
        const NotificationContent content{QStringLiteral("t"), {}, {}, true};
        const QString identifier = QStringLiteral("ai-hook-5");
        int answered = 0;
        const auto done = [&](const QString& error) {
            QVERIFY(error.isEmpty());
            ++answered;
        };

        // Removed while the server's capabilities are still asked for: Notify is never called.
        notifications.add(identifier, content, std::nullopt, this, done);
        notifications.removeDelivered({identifier});
        QTRY_COMPARE(answered, 1);
        QVERIFY(m_server->calls.isEmpty());

        // Removed after the server took Notify, before it answered: the id it answers with is
        // closed at once. An add after the removal is not withdrawn.
        m_server->holdNotify = true;
        notifications.add(identifier, content, std::nullopt, this, done);
        QTRY_COMPARE(m_server->calls.size(), 1);
        notifications.removeDelivered({identifier});
        notifications.add(identifier, content, std::nullopt, this, done);
        QTRY_COMPARE(m_server->calls.size(), 2);
        answerHeldNotifies();
        QTRY_COMPARE(answered, 3);
        QTRY_COMPARE(m_server->closed, QList<uint>{101u});
        QCOMPARE(m_server->calls.at(1).replacesId, 0u);
        QTest::qWait(100);
        QCOMPARE(m_server->closed, QList<uint>{101u});
        notifications.removeDelivered({identifier});
        QTRY_COMPARE(m_server->closed, (QList<uint>{101u, 102u}));
    }

    void aClosedNotificationIsNotReplaced() {
        DBusNotifications notifications;
        const NotificationContent content{QStringLiteral("t"), {}, {}, true};
        QCOMPARE(add(notifications, QStringLiteral("ai-hook-4"), content), QString());
        emit m_server->NotificationClosed(101u, 2u);
        // The signal goes out on the server's connection; give it time to arrive.
        QTest::qWait(200);
        QCOMPARE(add(notifications, QStringLiteral("ai-hook-4"), content), QString());
        QCOMPARE(m_server->calls.at(1).replacesId, 0u);
    }

    void delayedNotificationsWaitAndCanBeCancelled() {
        DBusNotifications notifications;
        bool sent = false;
        notifications.add(QStringLiteral("later"), NotificationContent{QStringLiteral("t"), {}, {}, true},
                          50ms, this, [&](const QString&) { sent = true; });
        notifications.add(QStringLiteral("never"), NotificationContent{QStringLiteral("u"), {}, {}, true},
                          50ms, this, [](const QString&) { QFAIL("a cancelled notification was posted"); });
        notifications.removePending({QStringLiteral("never")});
        QTRY_VERIFY(sent);
        QTest::qWait(100);
        QCOMPARE(m_server->calls.size(), 1);
        QCOMPARE(m_server->calls.first().summary, QStringLiteral("t"));
    }

    void anAnswerForAContextThatIsGoneIsDropped() {
        m_server->holdNotify = true;
        DBusNotifications notifications;
        auto context = std::make_unique<QObject>();
        bool answered = false;
        notifications.add(QStringLiteral("ai-hook-6"), NotificationContent{QStringLiteral("t"), {}, {}, true},
                          std::nullopt, context.get(), [&](const QString&) { answered = true; });
        QTRY_COMPARE(m_server->calls.size(), 1);
        context.reset();
        answerHeldNotifies();
        QTest::qWait(200);
        QVERIFY(!answered);
    }

    void aServerErrorIsReported() {
        m_server->failNotify = true;
        DBusNotifications notifications;
        QCOMPARE(
            add(notifications, QStringLiteral("x"), NotificationContent{QStringLiteral("t"), {}, {}, true}),
            QStringLiteral("too many notifications"));
    }
};

BRIMLARK_TEST_MAIN(TestDBusNotifications)
#include "tst_dbusnotifications.moc"
