#include "platform/UserDefaults.h"

#include "platform/AtomicWrite.h"
#include "platform/PlatformLog.h"
#include "platform/SetAside.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {

const QString kDataTag = QStringLiteral("$data");
const QString kDoubleTag = QStringLiteral("$double");

bool isInteger(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

bool isDouble(const QVariant& v) {
    return v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float;
}

QJsonValue encode(const QVariant& v) {
    if (v.typeId() == QMetaType::Nullptr)
        return QJsonValue(QJsonValue::Null);
    if (v.typeId() == QMetaType::Bool)
        return v.toBool();
    if (isInteger(v))
        return v.toLongLong();
    if (isDouble(v)) {
        const double d = v.toDouble();
        if (!std::isfinite(d))
            return QJsonObject{{kDoubleTag, QString::number(d)}};
        if (d == std::floor(d))
            return QJsonObject{{kDoubleTag, d}};
        return d;
    }
    if (v.typeId() == QMetaType::QByteArray)
        return QJsonObject{{kDataTag, QString::fromLatin1(v.toByteArray().toBase64())}};
    if (v.typeId() == QMetaType::QVariantList || v.typeId() == QMetaType::QStringList) {
        QJsonArray array;
        for (const QVariant& item : v.toList())
            array.append(encode(item));
        return array;
    }
    if (v.typeId() == QMetaType::QVariantMap) {
        QJsonObject object;
        const QVariantMap map = v.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            object.insert(it.key(), encode(it.value()));
        return object;
    }
    return v.toString();
}

QVariant decode(const QJsonValue& value) {
    switch (value.type()) {
    case QJsonValue::Bool:
        return value.toBool();
    case QJsonValue::Double: {
        // A whole number that fits in 64 bits is an integer, with every digit; toInteger() gives
        // 0 for any other number, and only the number 0 itself compares equal to 0.
        const qint64 whole = value.toInteger();
        const double d = value.toDouble();
        if (whole != 0 || d == 0)
            return whole;
        return d;
    }
    case QJsonValue::String:
        return value.toString();
    case QJsonValue::Array: {
        QVariantList list;
        const QJsonArray array = value.toArray();
        for (const QJsonValue& item : array)
            list.append(decode(item));
        return list;
    }
    case QJsonValue::Object: {
        const QJsonObject object = value.toObject();
        if (object.size() == 1 && object.value(kDataTag).isString())
            return QByteArray::fromBase64(object.value(kDataTag).toString().toLatin1());
        if (object.size() == 1 && object.contains(kDoubleTag)) {
            const QJsonValue inner = object.value(kDoubleTag);
            return inner.isString() ? inner.toString().toDouble() : inner.toDouble();
        }
        QVariantMap map;
        for (auto it = object.constBegin(); it != object.constEnd(); ++it)
            map.insert(it.key(), decode(it.value()));
        return map;
    }
    case QJsonValue::Null:
        return QVariant::fromValue(nullptr);
    case QJsonValue::Undefined:
        break;
    }
    return {};
}

// The JSON that encode() makes of a value, by kind.
enum class Written { null, boolean, integer, number, data, list, map, text };

Written writtenAs(const QVariant& v) {
    if (v.typeId() == QMetaType::Nullptr)
        return Written::null;
    if (v.typeId() == QMetaType::Bool)
        return Written::boolean;
    if (isInteger(v))
        return Written::integer;
    if (isDouble(v))
        return Written::number;
    if (v.typeId() == QMetaType::QByteArray)
        return Written::data;
    if (v.typeId() == QMetaType::QVariantList || v.typeId() == QMetaType::QStringList)
        return Written::list;
    if (v.typeId() == QMetaType::QVariantMap)
        return Written::map;
    return Written::text;
}

// Whether encode() writes two values alike: an integer and the whole double of the same value are
// not, an int and a qint64 of the same value are.
bool writtenAlike(const QVariant& a, const QVariant& b) {
    const Written kind = writtenAs(a);
    if (kind != writtenAs(b))
        return false;
    switch (kind) {
    case Written::null:
        return true;
    case Written::boolean:
        return a.toBool() == b.toBool();
    case Written::integer:
        return a.toLongLong() == b.toLongLong();
    case Written::number: {
        const double left = a.toDouble();
        const double right = b.toDouble();
        if (!std::isfinite(left) || !std::isfinite(right))
            return QString::number(left) == QString::number(right);
        return left == right && std::signbit(left) == std::signbit(right);
    }
    case Written::data:
        return a.toByteArray() == b.toByteArray();
    case Written::list: {
        const QVariantList left = a.toList();
        const QVariantList right = b.toList();
        return left.size() == right.size() &&
               std::equal(left.cbegin(), left.cend(), right.cbegin(), writtenAlike);
    }
    case Written::map: {
        const QVariantMap left = a.toMap();
        const QVariantMap right = b.toMap();
        if (left.size() != right.size())
            return false;
        for (auto l = left.cbegin(), r = right.cbegin(); l != left.cend(); ++l, ++r) {
            if (l.key() != r.key() || !writtenAlike(l.value(), r.value()))
                return false;
        }
        return true;
    }
    case Written::text:
        return a.toString() == b.toString();
    }
    return false;
}

bool textAsBool(const QString& text) {
    const QString t = text.trimmed().toLower();
    if (t == QLatin1String("true") || t == QLatin1String("yes"))
        return true;
    bool ok = false;
    const double d = t.toDouble(&ok);
    return ok && d != 0;
}

} // namespace

UserDefaults::UserDefaults(QString filePath, QObject* parent)
    : QObject(parent), m_filePath(std::move(filePath)) {
    load();
}

UserDefaults::~UserDefaults() {
    flush();
}

QString UserDefaults::standardFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/com.brimlark.app/defaults.json");
}

UserDefaults& UserDefaults::standard() {
    static UserDefaults* store = new UserDefaults(standardFilePath());
    return *store;
}

QString UserDefaults::filePath() const {
    return m_filePath;
}

QString UserDefaults::quarantinedPath() const {
    return m_quarantinedPath;
}

void UserDefaults::load() {
    // A copy staged by a write that was killed midway is of no further use.
    AtomicWrite::removeStaleCopies(m_filePath);
    QFile file(m_filePath);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        // Unreadable (permissions): keep the file as it is; writes will fail and be logged.
        qCCritical(lcPlatform, "defaults read failed: %s: %s", qUtf8Printable(m_filePath),
                   qUtf8Printable(file.errorString()));
        m_readOnly = true;
        return;
    }
    const QByteArray bytes = file.readAll();
    file.close();
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error == QJsonParseError::NoError && document.isObject()) {
        // Kept as read too: a write then encodes only what changed (a large text costs as much to
        // encode again as to read).
        m_written = document.object();
        for (auto it = m_written.begin(); it != m_written.end();) {
            const QVariant value = decode(it.value());
            if (!value.isValid()) {
                it = m_written.erase(it);
                continue;
            }
            m_values.insert(it.key(), value);
            ++it;
        }
        return;
    }
    const QString reason =
        error.error != QJsonParseError::NoError ? error.errorString() : QStringLiteral("not a JSON object");
    const QString aside = SetAside::moveUnreadable(m_filePath, QDateTime::currentDateTimeUtc());
    if (!aside.isEmpty()) {
        m_quarantinedPath = aside;
        qCCritical(lcPlatform,
                   "defaults file %s could not be parsed (%s); kept as %s, starting from defaults",
                   qUtf8Printable(m_filePath), qUtf8Printable(reason), qUtf8Printable(aside));
    } else {
        // The damaged file stays where it is, so nothing may be written over it.
        m_readOnly = true;
        qCCritical(lcPlatform,
                   "defaults file %s could not be parsed (%s) nor moved aside; changes stay in memory",
                   qUtf8Printable(m_filePath), qUtf8Printable(reason));
    }
}

bool UserDefaults::save() {
    if (m_readOnly) {
        qCCritical(lcPlatform, "defaults save failed: %s was not readable and is left untouched",
                   qUtf8Printable(m_filePath));
        return saved(QStringLiteral("the settings file could not be read and is left as it is"));
    }
    const QFileInfo info(m_filePath);
    if (!QDir().mkpath(info.absolutePath())) {
        qCCritical(lcPlatform, "defaults save failed: cannot create %s", qUtf8Printable(info.absolutePath()));
        return saved(QStringLiteral("the folder %1 could not be created").arg(info.absolutePath()));
    }
    // On failure the old file stays as it was; the change is still held in memory and goes out
    // with the next write that succeeds.
    QString error;
    if (!AtomicWrite::replace(m_filePath, QJsonDocument(m_written).toJson(QJsonDocument::Indented), &error)) {
        qCCritical(lcPlatform, "defaults save failed: %s: %s", qUtf8Printable(m_filePath),
                   qUtf8Printable(error));
        return saved(error.isEmpty() ? QStringLiteral("the settings file could not be written") : error);
    }
    // Every value went out, a pending one too.
    m_pendingWrite = false;
    if (m_writeTimer)
        m_writeTimer->stop();
    return saved(QString());
}

bool UserDefaults::saved(const QString& error) {
    if (m_saveError != error) {
        m_saveError = error;
        emit saveErrorChanged(error);
    }
    return error.isEmpty();
}

void UserDefaults::registerDefaults(const QVariantMap& defaults) {
    for (auto it = defaults.cbegin(); it != defaults.cend(); ++it)
        m_registered.insert(it.key(), it.value());
}

bool UserDefaults::contains(const QString& key) const {
    return m_values.contains(key);
}

QVariant UserDefaults::value(const QString& key) const {
    const auto it = m_values.constFind(key);
    if (it != m_values.cend())
        return *it;
    return m_registered.value(key);
}

QStringList UserDefaults::keys(const QString& prefix) const {
    QStringList result;
    for (auto it = m_values.cbegin(); it != m_values.cend(); ++it) {
        if (it.key().startsWith(prefix))
            result.append(it.key());
    }
    return result;
}

bool UserDefaults::boolValue(const QString& key) const {
    const QVariant v = value(key);
    if (v.typeId() == QMetaType::Bool)
        return v.toBool();
    if (isInteger(v) || isDouble(v))
        return v.toDouble() != 0;
    if (v.typeId() == QMetaType::QString)
        return textAsBool(v.toString());
    return false;
}

qint64 UserDefaults::integer(const QString& key) const {
    const QVariant v = value(key);
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? 1 : 0;
    if (isInteger(v))
        return v.toLongLong();
    if (isDouble(v)) {
        const double d = v.toDouble();
        return std::isfinite(d) ? qint64(d) : 0;
    }
    if (v.typeId() == QMetaType::QString) {
        bool ok = false;
        const double d = v.toString().trimmed().toDouble(&ok);
        return ok && std::isfinite(d) ? qint64(d) : 0;
    }
    return 0;
}

double UserDefaults::doubleValue(const QString& key) const {
    const QVariant v = value(key);
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? 1.0 : 0.0;
    if (isInteger(v) || isDouble(v))
        return v.toDouble();
    if (v.typeId() == QMetaType::QString) {
        bool ok = false;
        const double d = v.toString().trimmed().toDouble(&ok);
        return ok ? d : 0.0;
    }
    return 0.0;
}

std::optional<QString> UserDefaults::string(const QString& key) const {
    const QVariant v = value(key);
    if (v.typeId() == QMetaType::QString)
        return v.toString();
    if (isInteger(v) || isDouble(v))
        return v.toString();
    return std::nullopt;
}

QByteArray UserDefaults::data(const QString& key) const {
    const QVariant v = value(key);
    if (v.typeId() == QMetaType::QByteArray)
        return v.toByteArray();
    if (v.typeId() == QMetaType::QString)
        return v.toString().toUtf8();
    return {};
}

QVariantList UserDefaults::array(const QString& key) const {
    const QVariant v = value(key);
    return v.typeId() == QMetaType::QVariantList ? v.toList() : QVariantList{};
}

QVariantMap UserDefaults::dictionary(const QString& key) const {
    const QVariant v = value(key);
    return v.typeId() == QMetaType::QVariantMap ? v.toMap() : QVariantMap{};
}

bool UserDefaults::holds(const QString& key, const QVariant& value) const {
    // After a failed write the file may not hold it: storing it again tries the write again.
    const auto held = m_values.constFind(key);
    return held != m_values.cend() && m_saveError.isEmpty() && writtenAlike(*held, value);
}

bool UserDefaults::store(const QString& key, const QVariant& value) {
    if (holds(key, value)) {
        emit valueChanged(key);
        return true;
    }
    m_values.insert(key, value);
    m_written.insert(key, encode(value));
    const bool saved = write();
    emit valueChanged(key);
    return saved;
}

bool UserDefaults::setBool(const QString& key, bool value) {
    return store(key, value);
}
bool UserDefaults::setInteger(const QString& key, qint64 value) {
    return store(key, value);
}
bool UserDefaults::setDouble(const QString& key, double value) {
    return store(key, value);
}
bool UserDefaults::setString(const QString& key, const QString& value) {
    return store(key, value);
}
bool UserDefaults::setData(const QString& key, const QByteArray& value) {
    return store(key, value);
}
bool UserDefaults::setArray(const QString& key, const QVariantList& value) {
    return store(key, value);
}

QVariant UserDefaults::storedForm(const QVariant& value) {
    if (value.typeId() == QMetaType::Nullptr)
        return value;
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (isInteger(value))
        return value.toLongLong();
    if (isDouble(value))
        return value.toDouble();
    if (value.typeId() == QMetaType::QByteArray)
        return value.toByteArray();
    if (value.typeId() == QMetaType::QVariantList || value.typeId() == QMetaType::QStringList)
        return value.toList();
    if (value.typeId() == QMetaType::QVariantMap)
        return value.toMap();
    return value.toString();
}

bool UserDefaults::setValue(const QString& key, const QVariant& value) {
    if (!value.isValid())
        return remove(key);
    return store(key, storedForm(value));
}

void UserDefaults::setValueLater(const QString& key, const QVariant& value) {
    if (!value.isValid()) {
        remove(key);
        return;
    }
    const QVariant stored = storedForm(value);
    if (holds(key, stored)) {
        emit valueChanged(key);
        return;
    }
    m_values.insert(key, stored);
    m_written.insert(key, encode(stored));
    holdWrite();
    if (!m_writeTimer) {
        m_writeTimer = new QTimer(this);
        m_writeTimer->setSingleShot(true);
        connect(m_writeTimer, &QTimer::timeout, this, &UserDefaults::flush);
    }
    // Restarted by every change, so a run of changes is written once, when it ends.
    m_writeTimer->start(writeDelayMs);
    emit valueChanged(key);
}

void UserDefaults::holdWrite() {
    m_pendingWrite = true;
    // The quit path ends the event loop without waiting for the timer or the batch.
    if (QCoreApplication* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &UserDefaults::flush, Qt::UniqueConnection);
}

bool UserDefaults::write() {
    if (m_batches == 0)
        return save();
    holdWrite();
    return true;
}

UserDefaults::Batch::Batch(UserDefaults& store) : m_store(store) {
    ++m_store.m_batches;
}

UserDefaults::Batch::~Batch() {
    if (--m_store.m_batches == 0)
        m_store.flush();
}

bool UserDefaults::flush() {
    if (!m_pendingWrite)
        return true;
    return save();
}

bool UserDefaults::remove(const QString& key) {
    if (!m_values.remove(key))
        return true;
    m_written.remove(key);
    const bool saved = write();
    emit valueChanged(key);
    return saved;
}
