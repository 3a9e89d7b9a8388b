#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <QUrl>

#include <optional>

// One player's current track, as the player describes it.
struct MediaTrack {
    // Never empty: a player without a title has no track.
    QString title;
    // Empty when the player names no artist.
    QString artist;
    bool isPlaying = false;
    // Seconds; only when greater than 0.
    std::optional<double> duration;
    std::optional<double> position;
    // The artwork's address: a file:, http: or https: address, or empty.
    QUrl artworkUrl;
};

// The desktop's music players, in two roles: `spotify` and `music`, the player the desktop offers
// besides it. Every call runs on the main thread and returns within a bounded time, also when a
// player hangs.
class MediaPlayers : public QObject {
    Q_OBJECT
public:
    enum class Player { music, spotify };
    enum class Command { playPause, next, previous };

    using QObject::QObject;
    ~MediaPlayers() override = default;

    // Whether a player holds the role now.
    virtual bool isRunning(Player player) = 0;
    // The player's current track; empty when it is not running, stopped, has no title or does not
    // answer in time.
    virtual std::optional<MediaTrack> currentTrack(Player player) = 0;
    // Sends `command` to the player; a failure is logged and otherwise ignored.
    virtual void send(Player player, Command command) = 0;
    // The image at `url` when it has been fetched; a null image while it is on its way (the first
    // ask starts the fetch, artworkArrived() follows), or when it could not be fetched or decoded.
    virtual QImage artwork(const QUrl& url) = 0;

signals:
    // A player started, ended or announced a change of its state or track.
    void changed();
    // The image at `url` can now be had from artwork().
    void artworkArrived(const QUrl& url);
};
