#include "Brimlark/controls/MediaService.h"

#include "Brimlark/kit/BrimlarkTheme.h"

#include <QColorSpace>

#include <algorithm>

using namespace std::chrono_literals;

QColor artworkTintColor(const QImage& artwork) {
    if (artwork.isNull())
        return BrimlarkTheme::warning();
    QImage source = artwork;
    // Hue, saturation and brightness are read in sRGB, whatever space the artwork came in.
    if (source.colorSpace().isValid() && source.colorSpace() != QColorSpace(QColorSpace::SRgb))
        source.convertToColorSpace(QColorSpace(QColorSpace::SRgb));
    // Smooth scaling to one pixel averages every pixel of the artwork.
    const QImage pixel = source.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                             .scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (pixel.isNull())
        return BrimlarkTheme::warning();
    const QColor average = QColor::fromRgba(pixel.pixel(0, 0)).toHsv();
    const float hue = std::max(0.0f, average.hueF());
    const float saturation = std::min(average.hsvSaturationF() * 1.4f, 1.0f);
    const float brightness = std::max(average.valueF(), 0.55f);
    return QColor::fromHsvF(hue, saturation, brightness, 1.0f);
}

MediaService::MediaService(MediaRemoteBridge& bridge, Clock* clock, QObject* parent)
    : QObject(parent), m_bridge(bridge), m_poller(clock->createTimer(this)) {
    // A player's announcement is answered on the next turn of the event loop, one refresh each.
    connect(&m_bridge, &MediaRemoteBridge::playersChanged, this, &MediaService::refresh,
            Qt::QueuedConnection);
    connect(m_poller, &ClockTimer::timeout, this, [this] {
        m_poller->start(5s);
        refresh();
    });
    m_poller->start(5s);
}

void MediaService::setNowPlaying(const std::optional<MediaRemoteBridge::NowPlaying>& nowPlaying) {
    m_nowPlaying = nowPlaying;
    emit nowPlayingChanged(m_nowPlaying);
}

void MediaService::refresh() {
    std::optional<MediaRemoteBridge::NowPlaying> current =
        m_bridge.query(MediaRemoteBridge::SourceApp::music);
    if (!current)
        current = m_bridge.query(MediaRemoteBridge::SourceApp::spotify);
    setNowPlaying(current);
}
