#include "Brimlark/controls/MediaRemoteBridge.h"

#include "Brimlark/core/EnumText.h"
#include "Brimlark/core/Logging.h"

namespace {

MediaPlayers::Player player(MediaRemoteBridge::SourceApp app) {
    return app == MediaRemoteBridge::SourceApp::spotify ? MediaPlayers::Player::spotify
                                                        : MediaPlayers::Player::music;
}

} // namespace

MediaRemoteBridge::MediaRemoteBridge(MediaPlayers* players, QObject* parent)
    : QObject(parent), m_players(players) {
    if (m_players) {
        connect(m_players, &MediaPlayers::changed, this, &MediaRemoteBridge::playersChanged);
        connect(m_players, &MediaPlayers::artworkArrived, this, &MediaRemoteBridge::playersChanged);
    }
}

MediaRemoteBridge::NowPlaying MediaRemoteBridge::nowPlaying(const MediaTrack& track, SourceApp source,
                                                            const QImage& artwork) {
    NowPlaying value;
    value.title = track.title;
    value.artist = track.artist;
    value.isPlaying = track.isPlaying;
    value.source = source;
    value.artwork = artwork;
    value.duration = track.duration;
    value.position = track.position;
    return value;
}

bool MediaRemoteBridge::isRunning(SourceApp app) {
    return m_players && m_players->isRunning(player(app));
}

std::optional<MediaRemoteBridge::NowPlaying> MediaRemoteBridge::query(SourceApp app) {
    if (!isRunning(app))
        return std::nullopt;
    const std::optional<MediaTrack> track = m_players->currentTrack(player(app));
    if (!track || track->title.isEmpty())
        return std::nullopt;
    return nowPlaying(*track, app, artwork(track->artworkUrl));
}

QImage MediaRemoteBridge::artwork(const QUrl& address) {
    if (!m_players || address.isEmpty())
        return {};
    return m_players->artwork(address);
}

std::optional<MediaRemoteBridge::SourceApp> MediaRemoteBridge::target(std::optional<SourceApp> source) {
    if (source)
        return source;
    for (SourceApp app : {SourceApp::music, SourceApp::spotify}) {
        if (query(app))
            return app;
    }
    return std::nullopt;
}

void MediaRemoteBridge::send(SourceApp app, const QString& command) {
    if (!m_players) {
        qCDebug(lcMedia, "no player connection for %s; \"%s\" not sent", qUtf8Printable(rawValue(app)),
                qUtf8Printable(command));
        return;
    }
    const MediaPlayers::Command mapped = command == QLatin1String("next track") ? MediaPlayers::Command::next
                                         : command == QLatin1String("previous track")
                                             ? MediaPlayers::Command::previous
                                             : MediaPlayers::Command::playPause;
    m_players->send(player(app), mapped);
}

void MediaRemoteBridge::playPause(std::optional<SourceApp> source) {
    if (const auto app = target(source))
        send(*app, QStringLiteral("playpause"));
}

void MediaRemoteBridge::nextTrack(std::optional<SourceApp> source) {
    if (const auto app = target(source))
        send(*app, QStringLiteral("next track"));
}

void MediaRemoteBridge::previousTrack(std::optional<SourceApp> source) {
    if (const auto app = target(source))
        send(*app, QStringLiteral("previous track"));
}
