#include "Brimlark/apps/AppEntry.h"

#include "Brimlark/core/StoredValues.h"

namespace {

bool fail(QString* why, const QString& text) {
    if (why)
        *why = text;
    return false;
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
    const auto id = StoredValues::parseId(object.value(QStringLiteral("id")).toString());
    if (!id) {
        fail(why, QStringLiteral("\"id\" is not a UUID"));
        return std::nullopt;
    }
    const auto bookmark = StoredValues::parseBase64(object.value(QStringLiteral("bookmark")).toString());
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
