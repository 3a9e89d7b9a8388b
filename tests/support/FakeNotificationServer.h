#pragma once

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <memory>
#include <utility>

// A desktop notification server ("org.freedesktop.Notifications") on a session-bus connection of
// its own: it records each call and answers as told. Run the test under dbus-run-session.
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

    // Connects to the session bus and takes the server's name there; false when either fails.
    bool publish() {
        m_bus = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName()));
        return m_bus->registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                                     QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals) &&
               m_bus->registerService(QStringLiteral("org.freedesktop.Notifications"));
    }
    // Gives the name up, as a server that quits does; the connection stays.
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

    std::unique_ptr<QDBusConnection> m_bus;
};
