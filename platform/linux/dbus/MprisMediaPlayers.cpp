#include "platform/linux/dbus/MprisMediaPlayers.h"

#include "platform/linux/dbus/MprisTrack.h"
#include "platform/linux/media/ArtworkFetcher.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QLoggingCategory>

#include <algorithm>

namespace {

Q_LOGGING_CATEGORY(lcMprisMedia, "com.brimlark.app.media")

const QString namePrefix = QStringLiteral("org.mpris.MediaPlayer2.");
const QString spotifyName = QStringLiteral("org.mpris.MediaPlayer2.spotify");
const QString objectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString playerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

// `value` with every D-Bus container unpacked into plain Qt values: dictionaries into
// QVariantMap, arrays into QVariantList (string arrays arrive as QStringList already), variants
// into what they hold. Nesting deeper than any track description needs is dropped.
QVariant plain(const QVariant& value, int depth = 0) {
    if (depth > 8)
        return {};
    if (value.canConvert<QDBusVariant>() && value.typeId() == qMetaTypeId<QDBusVariant>())
        return plain(value.value<QDBusVariant>().variant(), depth + 1);
    if (value.typeId() != qMetaTypeId<QDBusArgument>())
        return value;
    const QDBusArgument argument = value.value<QDBusArgument>();
    switch (argument.currentType()) {
    case QDBusArgument::MapType: {
        QVariantMap map;
        argument.beginMap();
        while (!argument.atEnd()) {
            argument.beginMapEntry();
            const QVariant key = argument.asVariant();
            const QVariant item = argument.asVariant();
            argument.endMapEntry();
            map.insert(key.toString(), plain(item, depth + 1));
        }
        argument.endMap();
        return map;
    }
    case QDBusArgument::ArrayType: {
        QVariantList list;
        argument.beginArray();
        while (!argument.atEnd())
            list.append(plain(argument.asVariant(), depth + 1));
        argument.endArray();
        return list;
    }
    case QDBusArgument::VariantType:
        return plain(argument.asVariant(), depth + 1);
    default:
        return {};
    }
}

QString method(MediaPlayers::Command command) {
    switch (command) {
    case MediaPlayers::Command::playPause:
        return QStringLiteral("PlayPause");
    case MediaPlayers::Command::next:
        return QStringLiteral("Next");
    case MediaPlayers::Command::previous:
        return QStringLiteral("Previous");
    }
    return {};
}

bool isPlayerName(const QString& name) {
    return name.startsWith(namePrefix) && name.size() > namePrefix.size();
}

} // namespace

MprisMediaPlayers::MprisMediaPlayers(QObject* parent)
    : MediaPlayers(parent), m_artwork(new ArtworkFetcher(this)) {
    connect(m_artwork, &ArtworkFetcher::arrived, this, &MediaPlayers::artworkArrived);
}

MprisMediaPlayers::MprisMediaPlayers(const QDBusConnection& bus, QObject* parent)
    : MprisMediaPlayers(bus, nullptr, parent) {}

MprisMediaPlayers::MprisMediaPlayers(const QDBusConnection& bus, ArtworkFetcher* artwork, QObject* parent)
    : MediaPlayers(parent), m_artwork(artwork ? artwork : new ArtworkFetcher(this)) {
    connect(m_artwork, &ArtworkFetcher::arrived, this, &MediaPlayers::artworkArrived);
    m_bus = bus;
    watchBus();
}

MprisMediaPlayers::~MprisMediaPlayers() {
    if (m_bus && m_bus->isConnected())
        m_bus->disconnect(QString(), objectPath, propertiesInterface, QStringLiteral("PropertiesChanged"),
                          this, SLOT(onPropertiesChanged(QDBusMessage)));
}

QDBusConnection& MprisMediaPlayers::bus() const {
    if (!m_bus) {
        m_bus = QDBusConnection::sessionBus();
        const_cast<MprisMediaPlayers*>(this)->watchBus();
    }
    return *m_bus;
}

void MprisMediaPlayers::watchBus() {
    if (!m_bus->isConnected()) {
        qCDebug(lcMprisMedia, "no session bus: no media players");
        return;
    }
    // Watch first, then list: a player that appears in between is seen by one or the other.
    m_watcher = new QDBusServiceWatcher(QStringLiteral("org.mpris.MediaPlayer2*"), *m_bus,
                                        QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            &MprisMediaPlayers::onNameOwnerChanged);
    m_bus->connect(QString(), objectPath, propertiesInterface, QStringLiteral("PropertiesChanged"), this,
                   SLOT(onPropertiesChanged(QDBusMessage)));
    listNames();
}

void MprisMediaPlayers::listNames() {
    const QDBusMessage reply = call(QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ListNames")));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return;
    for (const QString& name : reply.arguments().constFirst().toStringList()) {
        if (isPlayerName(name) && !m_names.contains(name))
            m_names.append(name);
    }
    std::sort(m_names.begin(), m_names.end());
}

QDBusMessage MprisMediaPlayers::call(QDBusMessage message) {
    // A player that is not running is never started for a question or a command.
    message.setAutoStartService(false);
    const QDBusMessage reply = bus().call(message, QDBus::Block, callTimeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage)
        qCDebug(lcMprisMedia, "%s.%s on %s failed: %s", qUtf8Printable(message.interface()),
                qUtf8Printable(message.member()), qUtf8Printable(message.service()),
                qUtf8Printable(reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage()));
    return reply;
}

QString MprisMediaPlayers::busName(Player player) const {
    bus();
    if (player == Player::spotify)
        return m_names.contains(spotifyName) ? spotifyName : QString();
    for (const QString& name : m_names) {
        if (name != spotifyName)
            return name;
    }
    return {};
}

bool MprisMediaPlayers::isRunning(Player player) {
    return !busName(player).isEmpty();
}

std::optional<MediaTrack> MprisMediaPlayers::currentTrack(Player player) {
    const QString name = busName(player);
    if (name.isEmpty())
        return std::nullopt;
    QDBusMessage message =
        QDBusMessage::createMethodCall(name, objectPath, propertiesInterface, QStringLiteral("GetAll"));
    message.setArguments({playerInterface});
    const QDBusMessage reply = call(message);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return std::nullopt;
    const QVariant properties = plain(reply.arguments().constFirst());
    if (properties.typeId() != QMetaType::QVariantMap) {
        qCDebug(lcMprisMedia, "%s answered GetAll with %s", qUtf8Printable(name),
                qUtf8Printable(reply.signature()));
        return std::nullopt;
    }
    return mprisTrack(properties.toMap());
}

void MprisMediaPlayers::send(Player player, Command command) {
    QString name = busName(player);
    // Spotify's name is known without it running; the call then fails and is logged.
    if (name.isEmpty() && player == Player::spotify)
        name = spotifyName;
    if (name.isEmpty()) {
        qCDebug(lcMprisMedia, "no player to send %s to", qUtf8Printable(method(command)));
        return;
    }
    call(QDBusMessage::createMethodCall(name, objectPath, playerInterface, method(command)));
}

QImage MprisMediaPlayers::artwork(const QUrl& url) {
    return url.isEmpty() ? QImage() : m_artwork->image(url);
}

void MprisMediaPlayers::onPropertiesChanged(const QDBusMessage&) {
    emit changed();
}

void MprisMediaPlayers::onNameOwnerChanged(const QString& name, const QString&, const QString& newOwner) {
    if (!isPlayerName(name))
        return;
    m_names.removeAll(name);
    if (!newOwner.isEmpty()) {
        m_names.append(name);
        std::sort(m_names.begin(), m_names.end());
    }
    emit changed();
}
