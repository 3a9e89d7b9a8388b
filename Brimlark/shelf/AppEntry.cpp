#include "Brimlark/shelf/AppEntry.h"

#include <QRegularExpression>

namespace {

bool fail(QString* why, const QString& text) {
    if (why)
        *why = text;
    return false;
}

// The canonical 36-character form, either case.
std::optional<QUuid> parseId(const QString& text) {
    static const QRegularExpression form(
        QStringLiteral("^[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}$"));
    if (!form.match(text).hasMatch())
        return std::nullopt;
    return QUuid::fromString(text);
}

// Standard Base64 with its padding, nothing else; "" is empty data.
std::optional<QByteArray> parseBase64(const QString& text) {
    const QByteArray encoded = text.toLatin1();
    if (QString::fromLatin1(encoded) != text)
        return std::nullopt;
    auto decoded = QByteArray::fromBase64Encoding(encoded, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.toBase64() != encoded)
        return std::nullopt;
    return decoded.decoded;
}

} // namespace

QJsonObject AppEntry::toJson() const {
    QJsonObject object{
        {QStringLiteral("id"), id.toString(QUuid::WithoutBraces).toUpper()},
        {QStringLiteral("bookmark"), QString::fromLatin1(bookmark.toBase64())},
        {QStringLiteral("displayName"), displayName},
    };
    if (bundleIdentifier)
        object.insert(QStringLiteral("bundleIdentifier"), *bundleIdentifier);
    return object;
}

std::optional<AppEntry> AppEntry::fromJson(const QJsonValue& value, QString* why) {
    if (!value.isObject()) {
        fail(why, QStringLiteral("not an object"));
        return std::nullopt;
    }
    const QJsonObject object = value.toObject();
    for (const char* key : {"id", "bookmark", "displayName"}) {
        if (!object.value(QLatin1String(key)).isString()) {
            fail(why, QStringLiteral("\"%1\" is missing or not a string").arg(QLatin1String(key)));
            return std::nullopt;
        }
    }
    const QJsonValue identifier = object.value(QStringLiteral("bundleIdentifier"));
    if (!identifier.isString() && !identifier.isNull() && !identifier.isUndefined()) {
        fail(why, QStringLiteral("\"bundleIdentifier\" is not a string"));
        return std::nullopt;
    }
    const auto id = parseId(object.value(QStringLiteral("id")).toString());
    if (!id) {
        fail(why, QStringLiteral("\"id\" is not a UUID"));
        return std::nullopt;
    }
    const auto bookmark = parseBase64(object.value(QStringLiteral("bookmark")).toString());
    if (!bookmark) {
        fail(why, QStringLiteral("\"bookmark\" is not Base64"));
        return std::nullopt;
    }
    AppEntry entry;
    entry.id = *id;
    entry.bookmark = *bookmark;
    entry.displayName = object.value(QStringLiteral("displayName")).toString();
    if (identifier.isString())
        entry.bundleIdentifier = identifier.toString();
    return entry;
}
