#pragma once

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusReply>
#include <QObject>
#include <QStringList>
#include <QTest>
#include <QVariantMap>

#include <chrono>
#include <memory>
#include <utility>

// The turn of one test on a shared session bus to own "org.freedesktop.Notifications", or to count
// on its having no owner. The turn is the bus name below, queued for on a connection of its own:
// tests running at once on one bus take turns, and the bus hands the name on when its holder
// leaves, even by a crash.
class NotificationsTurn {
public:
    static QString name() { return QStringLiteral("com.brimlark.test.NotificationsTurn"); }

    NotificationsTurn()
        : m_connectionName(QStringLiteral("notifications-turn-%1").arg(quintptr(this))),
          m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, m_connectionName)) {}
    ~NotificationsTurn() {
        if (m_bus.isConnected())
            m_bus.interface()->unregisterService(name());
        QDBusConnection::disconnectFromBus(m_connectionName);
    }
    NotificationsTurn(const NotificationsTurn&) = delete;
    NotificationsTurn& operator=(const NotificationsTurn&) = delete;

    // Waits for the turn at most `timeout`; false, with error(), when it did not come.
    bool take(std::chrono::milliseconds timeout = std::chrono::seconds(60)) {
        if (!m_bus.isConnected()) {
            m_error = QStringLiteral("no session bus");
            return false;
        }
        QDBusConnectionInterface* bus = m_bus.interface();
        const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> queued = bus->registerService(
            name(), QDBusConnectionInterface::QueueService, QDBusConnectionInterface::DontAllowReplacement);
        if (!queued.isValid()) {
            m_error = QStringLiteral("could not queue for %1: %2").arg(name(), queued.error().message());
            return false;
        }
        if (QTest::qWaitFor([&] { return bus->serviceOwner(name()).value() == m_bus.baseService(); },
                            int(timeout.count())))
            return true;
        m_error = QStringLiteral("%1 was still held by %2 after %3 ms: another test kept its turn")
                      .arg(name(), bus->serviceOwner(name()).value())
                      .arg(timeout.count());
        bus->unregisterService(name());
        return false;
    }
    QString error() const { return m_error; }

private:
    QString m_connectionName;
    QDBusConnection m_bus;
    QString m_error;
};

// A desktop notification server ("org.freedesktop.Notifications") on a session-bus connection of
// its own: it records each call and answers as told. It owns the name only in its turn, so two
// tests on one bus never serve it at once. Run the test under dbus-run-session.
class FakeNotificationServer : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Call {
        QString appName;
        uint replacesId;
        QString summary;
        QString body;
        QVariantMap hints;
        int expireTimeout;
    };

    QStringList capabilities{QStringLiteral("body"), QStringLiteral("body-markup")};
    bool failNotify = false;
    // When set, Notify keeps its replies here until answerHeldNotifies().
    bool holdNotify = false;
    QList<QDBusMessage> heldReplies;
    QList<Call> calls;
    QList<uint> closed;

    ~FakeNotificationServer() override { unpublish(); }

    // Waits for its turn, connects to the session bus and takes the server's name there; false,
    // with error(), when any of these fails.
    bool publish() {
        if (!m_turn.take()) {
            m_error = m_turn.error();
            return false;
        }
        m_bus = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName()));
        if (!m_bus->registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                                   QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals)) {
            m_error = QStringLiteral("could not export the server: %1").arg(m_bus->lastError().message());
            return false;
        }
        if (!m_bus->registerService(QStringLiteral("org.freedesktop.Notifications"))) {
            m_error = QStringLiteral("org.freedesktop.Notifications is owned by %1, not by a test")
                          .arg(m_bus->interface()
                                   ->serviceOwner(QStringLiteral("org.freedesktop.Notifications"))
                                   .value());
            return false;
        }
        return true;
    }
    QString error() const { return m_error; }
    // Gives the name up, as a server that quits does; the connection and the turn stay.
    void releaseName() {
        if (m_bus)
            m_bus->unregisterService(QStringLiteral("org.freedesktop.Notifications"));
    }
    // Gives the name up and leaves the bus.
    void unpublish() {
        if (!m_bus)
            return;
        releaseName();
        m_bus->unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
        m_bus.reset();
        QDBusConnection::disconnectFromBus(connectionName());
    }
    // Sends the replies that holdNotify kept back.
    void answerHeldNotifies() {
        for (const QDBusMessage& reply : std::exchange(heldReplies, {}))
            m_bus->send(reply);
    }

public slots:
    uint Notify(const QString& appName, uint replacesId, const QString& appIcon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints,
                int expireTimeout) {
        Q_UNUSED(appIcon);
        Q_UNUSED(actions);
        if (failNotify) {
            sendErrorReply(QDBusError::Failed, QStringLiteral("too many notifications"));
            return 0;
        }
        calls.append({appName, replacesId, summary, body, hints, expireTimeout});
        const uint id = replacesId != 0 ? replacesId : uint(100 + calls.size());
        if (holdNotify) {
            setDelayedReply(true);
            heldReplies.append(message().createReply(QVariant::fromValue(id)));
        }
        return id;
    }
    void CloseNotification(uint id) { closed.append(id); }
    QStringList GetCapabilities() { return capabilities; }
    QString GetServerInformation(QString& vendor, QString& version, QString& specVersion) {
        vendor = QStringLiteral("test");
        version = QStringLiteral("1");
        specVersion = QStringLiteral("1.2");
        return QStringLiteral("fake");
    }

signals:
    void NotificationClosed(uint id, uint reason);

private:
    static QString connectionName() { return QStringLiteral("fake-notification-server"); }

    NotificationsTurn m_turn;
    std::unique_ptr<QDBusConnection> m_bus;
    QString m_error;
};
