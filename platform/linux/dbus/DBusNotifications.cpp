#include "platform/linux/dbus/DBusNotifications.h"

#include "platform/PlatformLog.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QTimer>

namespace {

const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString interface = QStringLiteral("org.freedesktop.Notifications");

// Calls `done` with the reply of `message` once it arrives, on this thread.
void callAsync(const QDBusConnection& bus, const QDBusMessage& message, QObject* context,
               std::function<void(const QDBusMessage& reply)> done) {
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(message), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                     [watcher, done = std::move(done)](QDBusPendingCallWatcher*) {
                         watcher->deleteLater();
                         done(watcher->reply());
                     });
}

QDBusMessage busCall(const QString& method, const QVariantList& arguments) {
    QDBusMessage message = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                          QStringLiteral("/org/freedesktop/DBus"),
                                                          QStringLiteral("org.freedesktop.DBus"), method);
    message.setArguments(arguments);
    return message;
}

QString errorText(const QDBusMessage& reply) {
    return reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
}

} // namespace

DBusNotifications::DBusNotifications(QObject* parent) : Notifications(parent) {}

DBusNotifications::DBusNotifications(const QDBusConnection& bus, QObject* parent)
    : Notifications(parent), m_bus(bus) {
    watchClosings();
}

QDBusConnection& DBusNotifications::bus() {
    if (!m_bus) {
        m_bus = QDBusConnection::sessionBus();
        watchClosings();
    }
    return *m_bus;
}

void DBusNotifications::watchClosings() {
    if (m_bus->isConnected())
        m_bus->connect(service, path, interface, QStringLiteral("NotificationClosed"), this,
                       SLOT(onNotificationClosed(uint, uint)));
}

DBusNotifications::~DBusNotifications() = default;

void DBusNotifications::authorizationStatus(const QObject* context,
                                            std::function<void(NotificationAuthorization)> done) {
    const ContextCallback<void(NotificationAuthorization)> reply(context, std::move(done));
    if (!bus().isConnected()) {
        reply(NotificationAuthorization::denied);
        return;
    }
    callAsync(bus(), busCall(QStringLiteral("NameHasOwner"), {service}), this,
              [this, reply](const QDBusMessage& owner) {
                  if (owner.type() == QDBusMessage::ReplyMessage && !owner.arguments().isEmpty() &&
                      owner.arguments().constFirst().toBool()) {
                      reply(NotificationAuthorization::authorized);
                      return;
                  }
                  callAsync(bus(), busCall(QStringLiteral("ListActivatableNames"), {}), this,
                            [reply](const QDBusMessage& names) {
                                const bool activatable =
                                    names.type() == QDBusMessage::ReplyMessage &&
                                    !names.arguments().isEmpty() &&
                                    names.arguments().constFirst().toStringList().contains(service);
                                reply(activatable ? NotificationAuthorization::authorized
                                                  : NotificationAuthorization::denied);
                            });
              });
}

void DBusNotifications::requestAuthorization(const QObject* context,
                                             std::function<void(bool, const QString&)> done) {
    // There is nothing to ask on a desktop: a running server is the permission.
    authorizationStatus(context, [done](NotificationAuthorization status) {
        done(status == NotificationAuthorization::authorized, QString());
    });
}

void DBusNotifications::add(const QString& identifier, const NotificationContent& content,
                            std::optional<std::chrono::milliseconds> delay, const QObject* context,
                            std::function<void(const QString&)> done) {
    const ContextCallback<void(const QString&)> reply(context, std::move(done));
    delete m_pending.take(identifier);
    if (!delay) {
        send(identifier, content, reply);
        return;
    }
    auto* timer = new QTimer(this);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, this, [this, timer, identifier, content, reply] {
        if (m_pending.value(identifier) == timer)
            m_pending.remove(identifier);
        timer->deleteLater();
        send(identifier, content, reply);
    });
    m_pending.insert(identifier, timer);
    timer->start(*delay);
}

void DBusNotifications::removeDelivered(const QStringList& identifiers) {
    for (const QString& identifier : identifiers) {
        for (auto send = m_sendsInFlight.cbegin(); send != m_sendsInFlight.cend(); ++send)
            if (send.value() == identifier)
                m_withdrawnSends.insert(send.key());
        const auto it = m_serverIds.constFind(identifier);
        if (it == m_serverIds.constEnd())
            continue;
        const uint serverId = it.value();
        m_serverIds.erase(it);
        close(serverId);
    }
}

void DBusNotifications::close(uint serverId) {
    if (!bus().isConnected())
        return;
    QDBusMessage message =
        QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("CloseNotification"));
    message.setArguments({QVariant::fromValue(serverId)});
    bus().asyncCall(message);
}

void DBusNotifications::removePending(const QStringList& identifiers) {
    for (const QString& identifier : identifiers)
        delete m_pending.take(identifier);
}

QString DBusNotifications::escapeMarkup(const QString& text) {
    return text.toHtmlEscaped();
}

void DBusNotifications::onNotificationClosed(uint serverId, uint reason) {
    Q_UNUSED(reason);
    for (auto it = m_serverIds.begin(); it != m_serverIds.end();) {
        if (it.value() == serverId)
            it = m_serverIds.erase(it);
        else
            ++it;
    }
}

void DBusNotifications::whenCapabilitiesKnown(std::function<void()> next) {
    if (m_markup) {
        next();
        return;
    }
    callAsync(
        bus(), QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("GetCapabilities")),
        this, [this, next](const QDBusMessage& reply) {
            if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
                m_markup =
                    reply.arguments().constFirst().toStringList().contains(QStringLiteral("body-markup"));
            else
                qCDebug(lcPlatform, "notification capabilities unknown: %s",
                        qUtf8Printable(errorText(reply)));
            next();
        });
}

void DBusNotifications::send(const QString& identifier, const NotificationContent& content,
                             const ContextCallback<void(const QString&)>& done) {
    if (!bus().isConnected()) {
        done(QStringLiteral("no session bus"));
        return;
    }
    const quint64 token = ++m_lastSend;
    m_sendsInFlight.insert(token, identifier);
    whenCapabilitiesKnown([this, token, identifier, content, done] {
        if (m_withdrawnSends.remove(token)) {
            m_sendsInFlight.remove(token);
            done(QString());
            return;
        }
        // Unknown capabilities count as markup: an escaped text shown raw is still safe.
        const bool markup = m_markup.value_or(true);
        QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("com.brimlark.app")},
                          {QStringLiteral("urgency"), QVariant::fromValue(uchar(1))}};
        if (content.sound)
            hints.insert(QStringLiteral("sound-name"), QStringLiteral("message-new-instant"));
        else
            hints.insert(QStringLiteral("suppress-sound"), true);
        QDBusMessage message =
            QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("Notify"));
        message.setArguments({QStringLiteral("Brimlark"),
                              QVariant::fromValue(m_serverIds.value(identifier, 0u)), QString(),
                              markup ? escapeMarkup(content.title) : content.title,
                              markup ? escapeMarkup(content.body) : content.body, QStringList(), hints,
                              QVariant::fromValue(qint32(-1))});
        callAsync(bus(), message, this, [this, token, identifier, done](const QDBusMessage& reply) {
            m_sendsInFlight.remove(token);
            const bool withdrawn = m_withdrawnSends.remove(token);
            if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
                done(errorText(reply));
                return;
            }
            const uint serverId = reply.arguments().constFirst().toUInt();
            if (withdrawn)
                close(serverId);
            else
                m_serverIds.insert(identifier, serverId);
            done(QString());
        });
    });
}
