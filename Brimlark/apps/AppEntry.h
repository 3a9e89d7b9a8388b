#pragma once

#include <QByteArray>
#include <QHashFunctions>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QUuid>

#include <optional>

// One application of the batch: its identity, the bookmark of its desktop entry file, the name
// shown for it and its desktop-file id when it has one.
struct AppEntry {
    QUuid id;
    QByteArray bookmark;
    QString displayName;
    std::optional<QString> bundleIdentifier;

    // The stored object: "id" (upper-case UUID), "bookmark" (padded Base64), "displayName" and,
    // only when there is one, "bundleIdentifier".
    QJsonObject toJson() const;
    // Reads one stored element: nothing, with `why` set, when it is no object, when "id",
    // "bookmark" or "displayName" is missing or no string, when the id is no UUID or the bookmark
    // no padded Base64, or when "bundleIdentifier" is neither a string, null nor missing. Other
    // keys are ignored.
    static std::optional<AppEntry> fromJson(const QJsonValue& value, QString* why = nullptr);

    bool operator==(const AppEntry& other) const {
        return id == other.id && bookmark == other.bookmark && displayName == other.displayName &&
               bundleIdentifier == other.bundleIdentifier;
    }
    bool operator!=(const AppEntry& other) const { return !(*this == other); }
};

inline size_t qHash(const AppEntry& entry, size_t seed = 0) {
    return qHashMulti(seed, entry.id, entry.bookmark, entry.displayName,
                      entry.bundleIdentifier.value_or(QString()), entry.bundleIdentifier.has_value());
}
