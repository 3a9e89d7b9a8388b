#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHashFunctions>
#include <QString>
#include <QUrl>
#include <QUuid>

// One file on the shelf: the file as it was dropped, the bookmark that finds it again (empty when
// none could be made), its name at the time and when it was added.
struct ShelfItem {
    QUuid id;
    QUrl url;
    QByteArray bookmark;
    QString displayName;
    QDateTime addedAt;

    bool operator==(const ShelfItem& other) const {
        return id == other.id && url == other.url && bookmark == other.bookmark &&
               displayName == other.displayName && addedAt == other.addedAt;
    }
    bool operator!=(const ShelfItem& other) const { return !(*this == other); }
};

inline size_t qHash(const ShelfItem& item, size_t seed = 0) {
    return qHashMulti(seed, item.id, item.url, item.bookmark, item.displayName, item.addedAt);
}
