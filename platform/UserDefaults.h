#pragma once

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QVariant>

#include <optional>

class QTimer;

// A typed key-value store persisted as one JSON file and rewritten atomically on every change;
// storing the value a key already holds is no change and writes nothing. A value set with
// setValueLater() is written a moment later instead, once for a run of such changes, and the
// changes made while a Batch lives are written once, when it ends; neither is ever lost to a quit
// or to the store's end, which write them first.
//
// Values keep their kind: Bool, integer (qint64), double, text, data (QByteArray), array
// (QVariantList) and dictionary (QVariantMap). On disk Booleans, integers, texts, arrays and
// dictionaries are plain JSON; a double with a fraction is a JSON number, a whole double is
// {"$double": n}; data is {"$data": "<base64>"}. Read back, a plain JSON number that is whole and
// fits in 64 bits is an integer, with every digit. A JSON null (the program writes none, a newer
// version or the user may) is held as a null QVariant of type std::nullptr_t and written back as
// null.
//
// Registered defaults answer for keys that hold nothing; they are never written to the file.
// A file that exists but cannot be parsed is renamed aside (".unreadable-<UTC time>") and the
// store starts empty, so a damaged file is never overwritten; when it can be neither read nor
// moved, changes are kept in memory only.
class UserDefaults : public QObject {
    Q_OBJECT
public:
    explicit UserDefaults(QString filePath, QObject* parent = nullptr);
    ~UserDefaults() override;

    // The process-wide store at $XDG_CONFIG_HOME/com.brimlark.app/defaults.json.
    static UserDefaults& standard();
    // The default location of the standard store's file.
    static QString standardFilePath();

    // The JSON file this store reads and writes.
    QString filePath() const;

    // Adds values answered for keys that hold nothing; never written, never reported as present.
    void registerDefaults(const QVariantMap& defaults);

    // True when the store itself holds the key (registered defaults do not count).
    bool contains(const QString& key) const;
    // The stored value, else the registered default, else an invalid QVariant.
    QVariant value(const QString& key) const;
    // Every stored key that starts with `prefix`, sorted.
    QStringList keys(const QString& prefix = {}) const;

    // Typed readers. Each converts like a plist-backed store would: numbers and "true"/"yes"
    // texts read as Booleans, numeric texts as numbers; anything else gives the zero value.
    bool boolValue(const QString& key) const;
    qint64 integer(const QString& key) const;
    double doubleValue(const QString& key) const;
    // The text under the key (numbers are formatted); empty optional when there is no text.
    std::optional<QString> string(const QString& key) const;
    QByteArray data(const QString& key) const;
    QVariantList array(const QString& key) const;
    QVariantMap dictionary(const QString& key) const;

    // Typed writers. Each stores the value and rewrites the file at once (not when the key held
    // that value already, nor while a Batch lives); false when the write failed (logged at error
    // level; the value is still held in memory).
    bool setBool(const QString& key, bool value);
    bool setInteger(const QString& key, qint64 value);
    bool setDouble(const QString& key, double value);
    bool setString(const QString& key, const QString& value);
    bool setData(const QString& key, const QByteArray& value);
    bool setArray(const QString& key, const QVariantList& value);
    // Stores any supported QVariant (Bool, integer, double, string, byte array, list, map, and
    // the null one of type std::nullptr_t).
    bool setValue(const QString& key, const QVariant& value);
    // Removes the key from the store; its registered default, if any, answers again.
    bool remove(const QString& key);

    // Stores the value at once, as setValue() does, and writes the file once the value has held
    // for `writeDelayMs`: a value that changes many times a second (a page turned with a held
    // key) costs one write when it settles, not one per change. The pending write goes out
    // earlier with any other write, with flush(), when the application quits and when the store
    // is destroyed.
    void setValueLater(const QString& key, const QVariant& value);
    // Writes a change that setValueLater() or a living Batch left pending. True when nothing was
    // pending or the write succeeded; on failure the change stays pending for the next write.
    bool flush();
    bool hasPendingWrite() const { return m_pendingWrite; }
    static constexpr int writeDelayMs = 1000;

    // While one lives, the store's changes are held in memory and written together, once, when
    // the last one ends; the writers return true meanwhile, and a write that fails then is logged
    // and told by saveError() as any other. Batches may nest.
    class Batch {
    public:
        explicit Batch(UserDefaults& store);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        UserDefaults& m_store;
    };

    // The path a damaged file was moved to at load, if that happened.
    QString quarantinedPath() const;

    // Why the last write of the file failed, or empty when it succeeded (or none was tried).
    QString saveError() const { return m_saveError; }

signals:
    // For every value stored or removed, also one the key held already.
    void valueChanged(const QString& key);
    void saveErrorChanged(const QString& error);

private:
    void load();
    bool save();
    // Writes the file at once, or marks the write pending while a batch lives.
    bool write();
    // A write is pending: it goes out before the application quits.
    void holdWrite();
    // Records the outcome of a write; false when it failed.
    bool saved(const QString& error);
    bool store(const QString& key, const QVariant& value);
    // Whether the key holds this value already, as written (or about to be).
    bool holds(const QString& key, const QVariant& value) const;
    // The value as the store keeps it: integers as qint64, string lists as lists, and so on.
    static QVariant storedForm(const QVariant& value);

    QString m_filePath;
    QVariantMap m_values;
    // The same values as the file has them: read from it, or encoded when stored.
    QJsonObject m_written;
    QVariantMap m_registered;
    QString m_quarantinedPath;
    bool m_readOnly = false;
    bool m_pendingWrite = false;
    int m_batches = 0;
    QString m_saveError;
    QTimer* m_writeTimer = nullptr;
};
