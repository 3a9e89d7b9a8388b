#pragma once

#include "Brimlark/controls/MediaRemoteBridge.h"
#include "platform/Clock.h"

#include <QColor>
#include <QImage>
#include <QObject>

#include <optional>

// The glow colour of a track's artwork: its average colour with the saturation raised by 1.4 (at
// most 1) and the brightness at least 0.55; the theme's warning orange when the image is empty.
QColor artworkTintColor(const QImage& artwork);

// The one current track of the desktop, refreshed when a player announces a change, every five
// seconds, and on demand; never at creation.
class MediaService : public QObject {
    Q_OBJECT
public:
    MediaService(MediaRemoteBridge& bridge, Clock* clock = Clock::system(), QObject* parent = nullptr);

    // The process-wide service, created on first use.
    static MediaService& shared();

    MediaRemoteBridge& bridge() { return m_bridge; }
    const std::optional<MediaRemoteBridge::NowPlaying>& nowPlaying() const { return m_nowPlaying; }
    // Every assignment publishes, also an unchanged value.
    void setNowPlaying(const std::optional<MediaRemoteBridge::NowPlaying>& nowPlaying);

    // Asks music, then spotify; the first answer (or none) becomes nowPlaying.
    void refresh();

signals:
    void nowPlayingChanged(const std::optional<MediaRemoteBridge::NowPlaying>& nowPlaying);

private:
    MediaRemoteBridge& m_bridge;
    ClockTimer* m_poller;
    std::optional<MediaRemoteBridge::NowPlaying> m_nowPlaying;
};
