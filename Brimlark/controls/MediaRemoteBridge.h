#pragma once

#include "platform/MediaPlayers.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <QUrl>

#include <optional>

// Asks the media players for their current track and sends them transport commands. The players
// are asked in the order of SourceApp: music first, then spotify. A player that is not running is
// never asked.
class MediaRemoteBridge : public QObject {
    Q_OBJECT
public:
    enum class SourceApp { music, spotify };
    Q_ENUM(SourceApp)

    // One player's current track.
    struct NowPlaying {
        std::optional<QString> title;
        std::optional<QString> artist;
        bool isPlaying = false;
        SourceApp source = SourceApp::music;
        QImage artwork;
        std::optional<double> duration;
        std::optional<double> position;

        // Artwork is not compared.
        bool operator==(const NowPlaying& other) const {
            return title == other.title && artist == other.artist && isPlaying == other.isPlaying &&
                   source == other.source && duration == other.duration && position == other.position;
        }
        bool operator!=(const NowPlaying& other) const { return !(*this == other); }
    };

    // Over `players` (kept by the caller); without players every player answers nothing.
    explicit MediaRemoteBridge(MediaPlayers* players = nullptr, QObject* parent = nullptr);
    ~MediaRemoteBridge() override = default;

    // The player's current track; empty when it is not running, stopped or does not answer. Its
    // artwork is there once it has been fetched: playersChanged() announces its arrival.
    virtual std::optional<NowPlaying> query(SourceApp app);
    // Whether the player runs.
    bool isRunning(SourceApp app);

    // Transport commands. Without a source, the first player that has a track is addressed; when
    // none has one, nothing is sent. A given source is addressed without asking whether it runs.
    virtual void playPause(std::optional<SourceApp> source);
    virtual void nextTrack(std::optional<SourceApp> source);
    virtual void previousTrack(std::optional<SourceApp> source);

    // The value the bridge builds from a player's track.
    static NowPlaying nowPlaying(const MediaTrack& track, SourceApp source, const QImage& artwork);

signals:
    // A player started or ended, announced a change, or a track's artwork arrived.
    void playersChanged();

protected:
    // The player a command goes to: `source`, else the first that has a track.
    std::optional<SourceApp> target(std::optional<SourceApp> source);
    // Sends `command` ("playpause", "next track", "previous track") to `app`.
    virtual void send(SourceApp app, const QString& command);
    // The artwork at the track's address, when it has been fetched.
    QImage artwork(const QUrl& address);

private:
    MediaPlayers* m_players;
};
