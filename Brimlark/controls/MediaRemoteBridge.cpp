#include "Brimlark/controls/MediaRemoteBridge.h"

#include "Brimlark/core/EnumText.h"
#include "Brimlark/core/Logging.h"

std::optional<MediaRemoteBridge::NowPlaying> MediaRemoteBridge::query(SourceApp) {
    return std::nullopt;
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
    qCDebug(lcMedia, "no player connection for %s; \"%s\" not sent", qUtf8Printable(rawValue(app)),
            qUtf8Printable(command));
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
