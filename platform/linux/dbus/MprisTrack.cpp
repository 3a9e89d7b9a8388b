#include "platform/linux/dbus/MprisTrack.h"

#include <QStringList>

#include <cmath>

namespace {

// Text held as a string (or UTF-8 bytes); anything else is no text.
QString text(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString();
    case QMetaType::QByteArray:
        return QString::fromUtf8(value.toByteArray());
    default:
        return {};
    }
}

// "xesam:artist" is a list of names; a player that sends one name as a plain string is taken at
// its word.
QString artists(const QVariant& value) {
    QStringList names;
    if (value.typeId() == QMetaType::QStringList) {
        names = value.toStringList();
    } else if (value.typeId() == QMetaType::QVariantList) {
        for (const QVariant& item : value.toList()) {
            const QString name = text(item);
            if (!name.isEmpty())
                names.append(name);
        }
    } else {
        return text(value);
    }
    names.removeAll(QString());
    return names.join(QStringLiteral(", "));
}

// Microseconds as seconds, when the value is a number greater than 0.
std::optional<double> seconds(const QVariant& value) {
    double microseconds = 0;
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float:
        microseconds = value.toDouble();
        break;
    default:
        return std::nullopt;
    }
    if (!std::isfinite(microseconds) || microseconds <= 0)
        return std::nullopt;
    return microseconds / 1e6;
}

QUrl artworkUrl(const QVariant& value) {
    const QString address = text(value).trimmed();
    if (address.isEmpty())
        return {};
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid())
        return {};
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("file"))
        return url.toLocalFile().isEmpty() ? QUrl() : url;
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        return url.host().isEmpty() ? QUrl() : url;
    return {};
}

} // namespace

std::optional<MediaTrack> mprisTrack(const QVariantMap& playerProperties) {
    const QString status = text(playerProperties.value(QStringLiteral("PlaybackStatus")));
    const bool playing = status == QLatin1String("Playing");
    if (!playing && status != QLatin1String("Paused"))
        return std::nullopt;
    const QVariant metadataValue = playerProperties.value(QStringLiteral("Metadata"));
    if (metadataValue.typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    const QVariantMap metadata = metadataValue.toMap();
    MediaTrack track;
    track.title = text(metadata.value(QStringLiteral("xesam:title")));
    if (track.title.isEmpty())
        return std::nullopt;
    track.artist = artists(metadata.value(QStringLiteral("xesam:artist")));
    track.isPlaying = playing;
    track.duration = seconds(metadata.value(QStringLiteral("mpris:length")));
    track.position = seconds(playerProperties.value(QStringLiteral("Position")));
    track.artworkUrl = artworkUrl(metadata.value(QStringLiteral("mpris:artUrl")));
    return track;
}
