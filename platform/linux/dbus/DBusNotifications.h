#pragma once

#include "platform/ContextCallback.h"
#include "platform/Notifications.h"

#include <QDBusConnection>
#include <QHash>
#include <QSet>

#include <optional>

class QTimer;

// Notifications through the desktop's notification server, D-Bus "org.freedesktop.Notifications"
// on the session bus. Every call is asynchronous, so a slow or missing server never blocks the
// main thread. "Authorised" means a server owns the name or can be started for it. Summary and
// body are escaped when the server takes markup in them ("body-markup"), so event texts always
// show as plain text. The server has no subtitle: it is not shown. Delayed notifications wait in
// this process until their time. Removing a notification that is still on its way to the server
// withdraws it: it is not posted, or it is closed as soon as the server answers with its id.
class DBusNotifications final : public Notifications {
    Q_OBJECT
public:
    // On the session bus, connected at the first call rather than here: the start-up of the
    // program never waits for the bus (or for a bus daemon being started for it).
    explicit DBusNotifications(QObject* parent = nullptr);
    explicit DBusNotifications(const QDBusConnection& bus, QObject* parent = nullptr);
    ~DBusNotifications() override;

    // Each answers on a later turn once the server has, or before returning when there is no
    // session bus.
    void authorizationStatus(const QObject* context,
                             std::function<void(NotificationAuthorization)> done) override;
    void requestAuthorization(const QObject* context,
                              std::function<void(bool granted, const QString& error)> done) override;
    void add(const QString& identifier, const NotificationContent& content,
             std::optional<std::chrono::milliseconds> delay, const QObject* context,
             std::function<void(const QString& error)> done) override;
    void removeDelivered(const QStringList& identifiers) override;
    void removePending(const QStringList& identifiers) override;

    // `text` with the characters of the notification markup escaped (& < > ").
    static QString escapeMarkup(const QString& text);

private slots:
    void onNotificationClosed(uint serverId, uint reason);

private:
    QDBusConnection& bus();
    // Follows the server's NotificationClosed on the bus.
    void watchClosings();
    void whenCapabilitiesKnown(std::function<void()> next);
    void send(const QString& identifier, const NotificationContent& content,
              const ContextCallback<void(const QString& error)>& done);
    void close(uint serverId);

    std::optional<QDBusConnection> m_bus;
    QHash<QString, uint> m_serverIds;
    // The sends waiting for the capabilities or for the answer to Notify, by token, with their
    // identifiers; and those of them that a removal withdrew.
    quint64 m_lastSend = 0;
    QHash<quint64, QString> m_sendsInFlight;
    QSet<quint64> m_withdrawnSends;
    QHash<QString, QTimer*> m_pending;
    std::optional<bool> m_markup;
};
