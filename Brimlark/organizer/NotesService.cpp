#include "Brimlark/organizer/NotesService.h"

#include "Brimlark/core/Debouncer.h"
#include "Brimlark/core/Logging.h"
#include "platform/AtomicWrite.h"
#include "platform/SetAside.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QRegularExpression>
#include <QTimeZone>

#include <algorithm>
#include <iterator>

namespace {

const QString kBody = QStringLiteral("body");
const QString kId = QStringLiteral("id");
const QString kUpdatedAt = QStringLiteral("updatedAt");
const QString kDateFormat = QStringLiteral("yyyy-MM-dd'T'HH:mm:ss'Z'");

// The canonical 36-character form, in either case.
bool isCanonicalUuid(const QString& text) {
    static const QRegularExpression pattern(
        QStringLiteral("^[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}$"));
    return pattern.match(text).hasMatch();
}

// The number written in text[from, from + length), all of it ASCII digits; -1 otherwise.
int digits(QStringView text, qsizetype from, qsizetype length) {
    int value = 0;
    for (qsizetype i = from; i < from + length; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

// "2026-01-05T09:00:00Z" and nothing looser: no fraction, no offset. Read field by field and built
// in UTC: parsing the whole text with QDateTime::fromString makes a local time first, which looks
// the system's time zone up once per call, and a file of ten thousand notes made the start wait
// for ten thousand of those.
QDateTime parseDate(QStringView text) {
    if (text.size() != 20 || text.at(4) != u'-' || text.at(7) != u'-' || text.at(10) != u'T' ||
        text.at(13) != u':' || text.at(16) != u':' || text.at(19) != u'Z')
        return {};
    const int fields[] = {digits(text, 0, 4),  digits(text, 5, 2),  digits(text, 8, 2),
                          digits(text, 11, 2), digits(text, 14, 2), digits(text, 17, 2)};
    if (std::any_of(std::begin(fields), std::end(fields), [](int field) { return field < 0; }))
        return {};
    const QDate date(fields[0], fields[1], fields[2]);
    const QTime time(fields[3], fields[4], fields[5]);
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time, QTimeZone::utc());
}

} // namespace

NotesService::NotesService(QString storePath, Clock* clock, QObject* parent)
    : QObject(parent), m_storePath(std::move(storePath)), m_clock(clock ? clock : Clock::system()),
      m_debouncer(new Debouncer(0.5, m_clock, this)) {
    // Here rather than at the first read, which may never come in a run: what a save killed
    // midway left goes at every start.
    AtomicWrite::removeStaleCopies(m_storePath);
}

void NotesService::ensureLoaded() const {
    // The service is never made const; the notes only look loaded from the start.
    if (!m_loaded)
        const_cast<NotesService*>(this)->load();
}

QByteArray NotesService::encode(const QList<Note>& notes) {
    QJsonArray array;
    for (const Note& note : notes) {
        QJsonObject object;
        object.insert(kBody, note.body);
        object.insert(kId, note.id.toString(QUuid::WithoutBraces).toUpper());
        object.insert(kUpdatedAt, note.updatedAt.toUTC().toString(kDateFormat));
        array.append(object);
    }
    return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

std::optional<QList<Note>> NotesService::decode(const QByteArray& bytes, QString* error) {
    auto fail = [error](const QString& text) -> std::optional<QList<Note>> {
        if (error)
            *error = text;
        return std::nullopt;
    };
    QJsonParseError parse{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parse);
    if (parse.error != QJsonParseError::NoError)
        return fail(parse.errorString());
    if (!document.isArray())
        return fail(QStringLiteral("not a JSON array"));
    QList<Note> notes;
    const QJsonArray array = document.array();
    for (qsizetype i = 0; i < array.size(); ++i) {
        const QJsonValue value = array.at(i);
        const QJsonObject object = value.toObject();
        const QJsonValue body = object.value(kBody);
        const QJsonValue id = object.value(kId);
        const QJsonValue updatedAt = object.value(kUpdatedAt);
        if (!value.isObject() || !body.isString() || !id.isString() || !updatedAt.isString())
            return fail(QStringLiteral("note %1 lacks a text \"body\", \"id\" or \"updatedAt\"").arg(i));
        if (!isCanonicalUuid(id.toString()))
            return fail(QStringLiteral("note %1 has an id that is not a UUID").arg(i));
        const QDateTime date = parseDate(updatedAt.toString());
        if (!date.isValid())
            return fail(QStringLiteral("note %1 has an \"updatedAt\" that is not a UTC date in whole seconds")
                            .arg(i));
        notes.append(Note{QUuid::fromString(id.toString()), body.toString(), date});
    }
    return notes;
}

Note NotesService::newNote() const {
    return Note{QUuid::createUuid(), QString(), m_clock->now().toUTC()};
}

void NotesService::load() {
    m_loaded = true;
    QFile file(m_storePath);
    std::optional<QList<Note>> loaded;
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly)) {
            m_setAsideReason = file.errorString();
        } else {
            const QByteArray bytes = file.readAll();
            if (file.error() != QFileDevice::NoError)
                m_setAsideReason = file.errorString();
            else
                loaded = decode(bytes, &m_setAsideReason);
        }
        m_mustSetAside = !loaded.has_value();
        // Out of the way at once, so the user is told where it went before typing anything; when it
        // cannot move now, the first save tries again.
        if (m_mustSetAside)
            setUnreadableAside();
    }
    if (loaded && !loaded->isEmpty()) {
        m_notes = *loaded;
    } else {
        m_notes = {newNote()};
    }
    m_currentID = m_notes.first().id;
}

Note NotesService::currentNote() const {
    ensureLoaded();
    for (const Note& note : m_notes) {
        if (note.id == m_currentID)
            return note;
    }
    if (!m_notes.isEmpty())
        return m_notes.first();
    return newNote();
}

void NotesService::updateCurrentNote(const QString& body) {
    ensureLoaded();
    for (Note& note : m_notes) {
        if (note.id != m_currentID)
            continue;
        note.body = body;
        emit notesChanged(m_notes);
        note.updatedAt = m_clock->now().toUTC();
        emit notesChanged(m_notes);
        scheduleSave();
        return;
    }
}

void NotesService::deleteNote(const QUuid& id) {
    ensureLoaded();
    m_notes.removeIf([&](const Note& note) { return note.id == id; });
    if (m_notes.isEmpty()) {
        m_notes = {newNote()};
        emit notesChanged(m_notes);
        m_currentID = m_notes.first().id;
        emit currentIDChanged(m_currentID);
    } else {
        emit notesChanged(m_notes);
        if (m_currentID == id) {
            m_currentID = m_notes.first().id;
            emit currentIDChanged(m_currentID);
        }
    }
    scheduleSave();
}

void NotesService::scheduleSave() {
    QPointer<NotesService> self(this);
    m_debouncer->schedule([self] {
        if (self)
            self->save();
    });
}

void NotesService::flush() {
    if (m_debouncer->isPending())
        m_debouncer->flush();
    else if (!m_saveError.isEmpty())
        save();
}

void NotesService::setSaveError(const QString& error) {
    if (m_saveError == error)
        return;
    m_saveError = error;
    emit saveErrorChanged(error);
}

bool NotesService::setUnreadableAside() {
    QString error;
    const QString aside = SetAside::moveUnreadable(m_storePath, m_clock->now(), &error);
    if (aside.isEmpty() && QFileInfo::exists(m_storePath)) {
        m_setAsideError = error;
        qCCritical(lcServices,
                   "notes file %s could not be read (%s) nor moved aside (%s); it is left as it is",
                   qUtf8Printable(m_storePath), qUtf8Printable(m_setAsideReason), qUtf8Printable(error));
        return false;
    }
    m_mustSetAside = false;
    if (!aside.isEmpty()) {
        qCCritical(lcServices, "notes file %s could not be read (%s); kept as %s",
                   qUtf8Printable(m_storePath), qUtf8Printable(m_setAsideReason), qUtf8Printable(aside));
        m_setAsidePath = aside;
        emit setAsidePathChanged(aside);
    }
    return true;
}

void NotesService::save() {
    if (m_mustSetAside && !setUnreadableAside()) {
        qCCritical(lcServices, "notes save failed: %s",
                   qUtf8Printable(
                       QStringLiteral("%1 could not be moved aside; it is left as it is").arg(m_storePath)));
        setSaveError(
            QStringLiteral("the unreadable notes file could not be moved aside (%1)").arg(m_setAsideError));
        return;
    }
    QDir().mkpath(QFileInfo(m_storePath).absolutePath());
    QString error;
    if (!AtomicWrite::replace(m_storePath, encode(m_notes), &error)) {
        qCCritical(lcServices, "notes save failed: %s", qUtf8Printable(error));
        setSaveError(error.isEmpty() ? QStringLiteral("the notes file could not be written") : error);
        return;
    }
    setSaveError(QString());
}
