#pragma once

#include "platform/MediaPlayers.h"

#include <QDBusConnection>
#include <QStringList>

#include <optional>

class ArtworkFetcher;
class QDBusMessage;
class QDBusServiceWatcher;

// The players of the session bus, over MPRIS. `spotify` is "org.mpris.MediaPlayer2.spotify";
// `music` is the first other "org.mpris.MediaPlayer2.*" name in sorted order. A player runs while
// its name has an owner; the names are followed through the bus's NameOwnerChanged, so asking
// whether a player runs costs no call. Every call to a player is synchronous with a timeout of
// callTimeout, never starts a player that is not running, and logs its failure at debug level.
// changed() follows the players' PropertiesChanged and the coming and going of their names.
class MprisMediaPlayers final : public MediaPlayers {
    Q_OBJECT
public:
    static constexpr int callTimeoutMs = 500;

    // On the session bus, connected at the first question rather than here: the start-up of the
    // program never waits for the bus.
    explicit MprisMediaPlayers(QObject* parent = nullptr);
    explicit MprisMediaPlayers(const QDBusConnection& bus, QObject* parent = nullptr);
    // With an artwork fetcher of the caller's (which it keeps owning).
    MprisMediaPlayers(const QDBusConnection& bus, ArtworkFetcher* artwork, QObject* parent = nullptr);
    ~MprisMediaPlayers() override;

    bool isRunning(Player player) override;
    std::optional<MediaTrack> currentTrack(Player player) override;
    void send(Player player, Command command) override;
    QImage artwork(const QUrl& url) override;

    // The bus name that holds the role now; empty when none does.
    QString busName(Player player) const;

private slots:
    void onPropertiesChanged(const QDBusMessage& message);
    void onNameOwnerChanged(const QString& name, const QString& oldOwner, const QString& newOwner);

private:
    // The bus, connected and watched on first use.
    QDBusConnection& bus() const;
    void watchBus();
    void listNames();
    // `message` sent with the call timeout; the reply, or an error message.
    QDBusMessage call(QDBusMessage message);

    mutable std::optional<QDBusConnection> m_bus;
    ArtworkFetcher* m_artwork;
    QDBusServiceWatcher* m_watcher = nullptr;
    // The MPRIS names that have an owner, sorted.
    QStringList m_names;
};
