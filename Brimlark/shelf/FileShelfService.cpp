#include "Brimlark/shelf/FileShelfService.h"

#include "Brimlark/core/Logging.h"
#include "Brimlark/core/StoredValues.h"
#include "Brimlark/shelf/SendViaAirDrop.h"
#include "platform/Bookmarks.h"
#include "platform/Clock.h"
#include "platform/Share.h"
#include "platform/UserDefaults.h"

#include <QByteArrayView>
#include <QDir>
#include <QTimeZone>
#include <QVariantMap>

#include <algorithm>
#include <utility>

namespace {

bool isText(const QVariant& value) {
    return value.typeId() == QMetaType::QString;
}

bool isNumber(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::ULongLong:
    case QMetaType::UInt:
        return true;
    default:
        return false;
    }
}

// One stored dictionary as an entry; nothing when any of its five values is missing or malformed.
std::optional<ShelfItem> entryFrom(const QVariantMap& entry) {
    const QVariant id = entry.value(QStringLiteral("id"));
    const QVariant path = entry.value(QStringLiteral("path"));
    const QVariant bookmark = entry.value(QStringLiteral("bookmark"));
    const QVariant displayName = entry.value(QStringLiteral("displayName"));
    const QVariant addedAt = entry.value(QStringLiteral("addedAt"));
    if (!isText(id) || !isText(path) || !isText(bookmark) || !isText(displayName) || !isNumber(addedAt))
        return std::nullopt;
    const auto uuid = StoredValues::parseId(id.toString());
    const auto bytes = StoredValues::parseBase64(bookmark.toString());
    if (!uuid || !bytes)
        return std::nullopt;
    ShelfItem item;
    item.id = *uuid;
    item.url = QUrl::fromLocalFile(path.toString());
    item.bookmark = *bytes;
    item.displayName = displayName.toString();
    item.addedAt = QDateTime::fromMSecsSinceEpoch(qRound64(addedAt.toDouble() * 1000.0), QTimeZone::utc());
    return item;
}

QVariantMap storedForm(const ShelfItem& item) {
    return {
        {QStringLiteral("id"), item.id.toString(QUuid::WithoutBraces).toUpper()},
        {QStringLiteral("path"), item.url.toLocalFile()},
        {QStringLiteral("bookmark"), QString::fromLatin1(item.bookmark.toBase64())},
        {QStringLiteral("displayName"), item.displayName},
        {QStringLiteral("addedAt"), double(item.addedAt.toMSecsSinceEpoch()) / 1000.0},
    };
}

} // namespace

FileShelfService::FileShelfService(UserDefaults& defaults, Bookmarks& bookmarks, Share& share, Clock& clock,
                                   QObject* parent)
    : QObject(parent), m_defaults(defaults), m_bookmarks(bookmarks), m_share(share), m_clock(clock) {
    // A later write of the store that succeeds writes the shelf held in it too.
    connect(&m_defaults, &UserDefaults::saveErrorChanged, this, [this](const QString& error) {
        if (error.isEmpty())
            setSaveError(QString());
    });
    load();
    if (m_defaults.contains(favoriteHintKey()))
        m_lastFavoriteHint = m_defaults.string(favoriteHintKey());
}

void FileShelfService::setItems(const QList<ShelfItem>& items) {
    m_items = items;
    emit itemsChanged();
}

QDateTime FileShelfService::now() const {
    return m_clock.now();
}

void FileShelfService::load() {
    if (!m_defaults.contains(storageKey()))
        return;
    const QVariant stored = m_defaults.value(storageKey());
    if (stored.typeId() != QMetaType::QVariantList) {
        qCCritical(lcServices, "file shelf load failed: %s", "the stored shelf is not a list");
        m_unreadable = stored;
        return;
    }
    const QVariantList list = stored.toList();
    QList<ShelfItem> items;
    for (const QVariant& element : list) {
        if (element.typeId() != QMetaType::QVariantMap)
            continue;
        if (auto item = entryFrom(element.toMap()))
            items.append(*item);
    }
    if (items.size() != list.size()) {
        qCCritical(lcServices, "file shelf load failed: %s",
                   qUtf8Printable(QStringLiteral("%1 of %2 stored entries are unreadable and were skipped")
                                      .arg(list.size() - items.size())
                                      .arg(list.size())));
        m_unreadable = stored;
    }
    setItems(items);
}

void FileShelfService::save() {
    if (m_unreadable) {
        const QString stamp = m_clock.now().toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
        QString key = unreadableKeyPrefix() + stamp;
        for (int n = 2; m_defaults.contains(key); ++n)
            key = unreadableKeyPrefix() + stamp + QLatin1Char('-') + QString::number(n);
        m_defaults.setValue(key, *m_unreadable);
        m_unreadable.reset();
    }
    QVariantList list;
    list.reserve(m_items.size());
    for (const ShelfItem& item : std::as_const(m_items))
        list.append(storedForm(item));
    if (m_defaults.setArray(storageKey(), list))
        setSaveError(QString());
    else
        setSaveError(m_defaults.saveError().isEmpty()
                         ? QStringLiteral("the settings file could not be written")
                         : m_defaults.saveError());
}

void FileShelfService::flush() {
    if (!m_saveError.isEmpty())
        save();
}

void FileShelfService::setSaveError(const QString& error) {
    if (m_saveError == error)
        return;
    m_saveError = error;
    emit saveErrorChanged(error);
}

QString FileShelfService::refusal(const QUrl& url) {
    const QString path = url.isLocalFile() ? url.toLocalFile() : QString();
    if (path.isEmpty() || !QDir::isAbsolutePath(path))
        return QStringLiteral("not a local file");
    // The URL keeps the name's bytes percent-encoded; decoded to text, bytes that are not UTF-8
    // become U+FFFD and the path no longer names the file.
    const QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    if (!QByteArrayView(bytes).isValidUtf8())
        return QStringLiteral("its name is not valid UTF-8");
    return QString();
}

QString FileShelfService::refusedLine(const QList<QUrl>& urls) {
    // A local file's absolute path is refused only for its name.
    const auto refused = std::count_if(urls.begin(), urls.end(), [](const QUrl& url) {
        return url.isLocalFile() && QDir::isAbsolutePath(url.toLocalFile()) && !refusal(url).isEmpty();
    });
    if (refused == 0)
        return QString();
    if (refused == 1)
        return QStringLiteral("1 file could not be added: its name is not UTF-8");
    return QStringLiteral("%1 files could not be added: their names are not UTF-8").arg(refused);
}

QString FileShelfService::localPath(const QUrl& url) {
    const QString why = refusal(url);
    if (why.isEmpty())
        return url.toLocalFile();
    if (url.isLocalFile())
        qCWarning(lcServices, "file shelf refused %s: %s", url.toEncoded().constData(), qUtf8Printable(why));
    else
        qCDebug(lcServices, "file shelf refused %s: %s", qUtf8Printable(url.toDisplayString()),
                qUtf8Printable(why));
    return {};
}

ShelfItem FileShelfService::makeItem(const QUrl& url, const QString& path) {
    QString error;
    QByteArray bookmark;
    if (auto made = m_bookmarks.create(path, &error))
        bookmark = *made;
    else
        qCCritical(lcServices, "file shelf bookmark failed: %s", qUtf8Printable(error));
    // The last part of the cleaned path; the root has none and is named by its path.
    const QString clean = QDir::cleanPath(path);
    QString name = clean.mid(clean.lastIndexOf(QLatin1Char('/')) + 1);
    if (name.isEmpty())
        name = clean;
    return ShelfItem{QUuid::createUuid(), url, bookmark, name, m_clock.now()};
}

void FileShelfService::add(const QList<QUrl>& urls) {
    // Each file goes in front, so of a long drop only the last ten stay: the ones before them
    // would fall off at once, and their bookmarks are not made. Each URL's path is read once.
    QList<std::pair<QUrl, QString>> kept;
    kept.reserve(std::min<qsizetype>(urls.size(), maxItems + 1));
    for (const QUrl& url : urls) {
        QString path = localPath(url);
        if (path.isEmpty())
            continue;
        if (kept.size() == maxItems)
            kept.removeFirst();
        kept.append({url, std::move(path)});
    }
    if (kept.isEmpty())
        return;
    QList<ShelfItem> items;
    items.reserve(kept.size() + m_items.size());
    for (auto it = kept.crbegin(); it != kept.crend(); ++it)
        items.append(makeItem(it->first, it->second));
    for (qsizetype n = 0; n < m_items.size() && items.size() < maxItems; ++n)
        items.append(m_items.at(n));
    setItems(items);
    save();
}

void FileShelfService::clear() {
    setItems({});
    save();
}

void FileShelfService::remove(const QUuid& id) {
    QList<ShelfItem> items = m_items;
    items.removeIf([&id](const ShelfItem& item) { return item.id == id; });
    setItems(items);
    save();
}

QList<QUrl> FileShelfService::resolvedURLs(const QList<ShelfItem>& items) const {
    QList<QUrl> urls;
    urls.reserve(items.size());
    for (const ShelfItem& item : items) {
        const auto resolved = item.bookmark.isEmpty() ? std::nullopt : m_bookmarks.resolve(item.bookmark);
        urls.append(resolved ? QUrl::fromLocalFile(resolved->path) : item.url);
    }
    return urls;
}

void FileShelfService::airDrop(const ShelfItem& item) {
    if (!sendViaAirDrop(m_share, resolvedURLs({item})))
        qCDebug(lcServices, "airdrop share refused for %s", qUtf8Printable(item.displayName));
}

bool FileShelfService::canSend() const {
    return m_share.hasSender();
}

void FileShelfService::airDropAll() {
    sendViaAirDrop(m_share, resolvedURLs(m_items));
}
