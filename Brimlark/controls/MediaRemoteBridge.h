#pragma once

#include <QImage>
#include <QObject>
#include <QString>

#include <optional>

// Asks the media players for their current track and sends them transport commands. The players
// are asked in the order of SourceApp: music first, then spotify.
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

    using QObject::QObject;
    ~MediaRemoteBridge() override = default;

    // The player's current track; empty when it is not running, stopped or does not answer. This
    // build talks to no player yet, so every player answers nothing.
    virtual std::optional<NowPlaying> query(SourceApp app);

    // Transport commands. Without a source, the first player that has a track is addressed; when
    // none has one, nothing is sent.
    virtual void playPause(std::optional<SourceApp> source);
    virtual void nextTrack(std::optional<SourceApp> source);
    virtual void previousTrack(std::optional<SourceApp> source);

protected:
    // The player a command goes to: `source`, else the first that has a track.
    std::optional<SourceApp> target(std::optional<SourceApp> source);
    // Sends `command` ("playpause", "next track", "previous track") to `app`.
    virtual void send(SourceApp app, const QString& command);
};
