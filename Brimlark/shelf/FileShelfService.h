#pragma once

#include "Brimlark/shelf/ShelfItem.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QVariant>

#include <optional>

class Bookmarks;
class Clock;
class Share;
class UserDefaults;

// The shelf of the last files dropped on the notch, newest first, kept in the settings store under
// "brimlark.fileShelf" as an array of dictionaries ("id", "path", "bookmark", "displayName",
// "addedAt"), ready to be sent to a nearby device. Main thread only.
class FileShelfService : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString saveError READ saveError NOTIFY saveErrorChanged)
public:
    FileShelfService(UserDefaults& defaults, Bookmarks& bookmarks, Share& share, Clock& clock,
                     QObject* parent = nullptr);

    // The process-wide service, created on first use.
    static FileShelfService& shared();

    static constexpr int maxItems = 10;
    static QString storageKey() { return QStringLiteral("brimlark.fileShelf"); }
    static QString favoriteHintKey() { return QStringLiteral("brimlark.fileShelf.favoriteHint"); }
    // Where a stored list that could not be read in full is kept: this prefix and the UTC time.
    static QString unreadableKeyPrefix() { return QStringLiteral("brimlark.fileShelf.unreadable-"); }

    const QList<ShelfItem>& items() const { return m_items; }
    // Replaces the shelf; the caller saves when it wants the change kept.
    void setItems(const QList<ShelfItem>& items);
    // The hint the drop area shows after "last: ", read once at start.
    const std::optional<QString>& lastFavoriteHint() const { return m_lastFavoriteHint; }

    // Replaces the shelf with the stored list. Entries that break the stored form are skipped; when
    // any was, the stored value is kept aside under unreadableKeyPrefix() at the next save().
    void load();
    // Stores the shelf, replacing the stored list; an empty shelf is stored as an empty array.
    void save();
    // Tries the last save again when it failed; nothing otherwise.
    void flush();
    // Why the last save failed, or empty when it succeeded (or none was tried). The shelf stays in
    // memory meanwhile; every later change, a later write of the settings store and flush() try
    // again.
    QString saveError() const { return m_saveError; }

    // Puts a new entry for each local file in front of the shelf, in order (the last one ends up
    // first), keeps the newest maxItems and stores the shelf once. A URL that is no local file is
    // refused, and so is a file whose name is not valid UTF-8. The same file added twice gives two
    // entries.
    void add(const QList<QUrl>& urls);
    void add(const QUrl& url) { add(QList<QUrl>{url}); }
    // Empties the shelf and stores it.
    void clear();
    // Removes every entry with this id, the others keeping their order, and stores the shelf.
    void remove(const QUuid& id);

    // One URL per item, in order: where its bookmark leads, else the path it was dropped from.
    QList<QUrl> resolvedURLs(const QList<ShelfItem>& items) const;
    // Sends one item to a nearby device; a refusal is logged at debug level.
    void airDrop(const ShelfItem& item);
    // Sends every item on the shelf; a refusal is not reported.
    void airDropAll();
    // True when the desktop has a file sender; without one the send buttons are disabled and say
    // noSenderReason().
    bool canSend() const;
    static QString noSenderReason() { return QStringLiteral("no bluetooth sender installed"); }

    // The current time of the service's clock.
    QDateTime now() const;
    Clock& clock() const { return m_clock; }

    // Why the URL cannot go on the shelf, or empty when it can: it must be a local file's absolute
    // path whose name is valid UTF-8 (any other name could only be kept mangled, as a dead entry).
    static QString refusal(const QUrl& url);
    // What a drop says of the local files among `urls` the shelf refuses ("2 files could not be
    // added: their names are not UTF-8"); empty when it takes them all.
    static QString refusedLine(const QList<QUrl>& urls);

signals:
    void itemsChanged();
    void saveErrorChanged(const QString& error);

private:
    // The absolute path of a local file's URL; empty, with a line saying why, for anything else.
    static QString localPath(const QUrl& url);
    // A new entry for the local file at `path`; a failed bookmark is logged and left empty.
    ShelfItem makeItem(const QUrl& url, const QString& path);
    void setSaveError(const QString& error);

    UserDefaults& m_defaults;
    Bookmarks& m_bookmarks;
    Share& m_share;
    Clock& m_clock;
    QList<ShelfItem> m_items;
    std::optional<QString> m_lastFavoriteHint;
    // The stored value of a load that skipped entries, kept aside before the next save.
    std::optional<QVariant> m_unreadable;
    QString m_saveError;
};
