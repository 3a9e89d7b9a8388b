#include "tests/support/FakeMprisPlayer.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QMutexLocker>
#include <QUuid>

namespace {
const QString objectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString playerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
} // namespace

std::unique_ptr<FakeMprisPlayer> FakeMprisPlayer::start(const QString& busName, const QString& busAddress) {
    std::unique_ptr<FakeMprisPlayer> player(new FakeMprisPlayer());
    player->m_busName = busName;
    player->m_connectionName =
        QStringLiteral("fake-mpris-player-") + QUuid::createUuid().toString(QUuid::Id128);
    player->m_thread = std::make_unique<QThread>();
    player->m_thread->setObjectName(QStringLiteral("fake player"));
    player->moveToThread(player->m_thread.get());
    player->m_thread->start();
    bool ok = false;
    FakeMprisPlayer* raw = player.get();
    QMetaObject::invokeMethod(
        raw,
        [raw, busAddress, &ok] {
            QDBusConnection bus =
                busAddress.isEmpty()
                    ? QDBusConnection::connectToBus(QDBusConnection::SessionBus, raw->m_connectionName)
                    : QDBusConnection::connectToBus(busAddress, raw->m_connectionName);
            if (!bus.isConnected())
                return;
            // Registered before a name is taken, so every call to the name finds the object.
            ok = bus.registerVirtualObject(objectPath, raw) && bus.registerService(raw->m_busName);
        },
        Qt::BlockingQueuedConnection);
    if (!ok)
        return nullptr;
    return player;
}

FakeMprisPlayer::~FakeMprisPlayer() {
    if (!m_thread)
        return;
    if (m_thread->isRunning()) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                QDBusConnection bus(m_connectionName);
                bus.unregisterService(m_busName);
                bus.unregisterObject(objectPath);
                QDBusConnection::disconnectFromBus(m_connectionName);
            },
            Qt::BlockingQueuedConnection);
        m_thread->quit();
        m_thread->wait();
    }
}

QVariantMap FakeMprisPlayer::track(const QString& status, const QString& title, const QStringList& artists,
                                   qlonglong lengthMicroseconds, const QString& artUrl) {
    QVariantMap metadata;
    metadata.insert(QStringLiteral("xesam:title"), title);
    metadata.insert(QStringLiteral("xesam:artist"), artists);
    if (lengthMicroseconds != 0)
        metadata.insert(QStringLiteral("mpris:length"), lengthMicroseconds);
    if (!artUrl.isEmpty())
        metadata.insert(QStringLiteral("mpris:artUrl"), artUrl);
    return {{QStringLiteral("PlaybackStatus"), status},
            {QStringLiteral("Metadata"), metadata},
            {QStringLiteral("Position"), qlonglong(1500000)}};
}

void FakeMprisPlayer::setPlayer(const QVariantMap& properties) {
    {
        QMutexLocker lock(&m_mutex);
        m_properties = properties;
    }
    announce(properties);
}

void FakeMprisPlayer::setSilent(bool silent) {
    QMutexLocker lock(&m_mutex);
    m_silent = silent;
}

QStringList FakeMprisPlayer::commands() const {
    QMutexLocker lock(&m_mutex);
    return m_commands;
}

void FakeMprisPlayer::announce(const QVariantMap& changed) {
    QDBusMessage signal =
        QDBusMessage::createSignal(objectPath, propertiesInterface, QStringLiteral("PropertiesChanged"));
    signal.setArguments({playerInterface, changed, QStringList()});
    QDBusConnection(m_connectionName).send(signal);
}

QString FakeMprisPlayer::introspect(const QString&) const {
    return QStringLiteral("<interface name=\"org.mpris.MediaPlayer2.Player\">"
                          "<method name=\"PlayPause\"/><method name=\"Next\"/><method name=\"Previous\"/>"
                          "<property name=\"PlaybackStatus\" type=\"s\" access=\"read\"/>"
                          "<property name=\"Metadata\" type=\"a{sv}\" access=\"read\"/>"
                          "<property name=\"Position\" type=\"x\" access=\"read\"/>"
                          "</interface>");
}

bool FakeMprisPlayer::handleMessage(const QDBusMessage& message, const QDBusConnection& connection) {
    QMutexLocker lock(&m_mutex);
    if (m_silent)
        return true;
    const QString member = message.member();
    if (message.interface() == playerInterface) {
        if (member != QLatin1String("PlayPause") && member != QLatin1String("Next") &&
            member != QLatin1String("Previous"))
            return false;
        m_commands.append(member);
        connection.send(message.createReply());
        return true;
    }
    if (message.interface() != propertiesInterface || message.arguments().isEmpty() ||
        message.arguments().constFirst().toString() != playerInterface)
        return false;
    if (member == QLatin1String("GetAll")) {
        connection.send(message.createReply(QVariant::fromValue(m_properties)));
        return true;
    }
    if (member == QLatin1String("Get") && message.arguments().size() == 2) {
        const QString name = message.arguments().at(1).toString();
        if (!m_properties.contains(name))
            return false;
        connection.send(message.createReply(QVariant::fromValue(QDBusVariant(m_properties.value(name)))));
        return true;
    }
    return false;
}
