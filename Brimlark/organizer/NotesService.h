#pragma once

#include "Brimlark/organizer/Note.h"
#include "platform/Clock.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>

#include <optional>

class Debouncer;

// The user's notes, kept in one JSON file: an array of {"body", "id", "updatedAt"} objects, in the
// order of `notes`. There is always at least one note, and one of them is current. Edits and
// deletions are saved through the program's one debouncer, half a second after the last of a
// burst; flush() writes a pending save at once (the coordinator calls it at quit).
//
// The reader is strict: the file is used only when it is a JSON array whose every element has a
// string "body", a UUID "id" and an "updatedAt" in UTC with whole seconds and "Z". A file that
// exists but is not that (or cannot be read) is shown as one new empty note and renamed aside at
// once to "<file>.unreadable-<UTC time>" (setAsidePath()), so what was in it is never overwritten;
// while it cannot be moved, every save tries again, and is refused and logged when it still
// cannot. A save that fails is logged and told through saveError(); nothing typed is dropped from
// memory.
class NotesService : public QObject {
    Q_OBJECT
    Q_PROPERTY(QList<Note> notes READ notes NOTIFY notesChanged)
    Q_PROPERTY(QUuid currentID READ currentID NOTIFY currentIDChanged)
    Q_PROPERTY(QString saveError READ saveError NOTIFY saveErrorChanged)
    Q_PROPERTY(QString setAsidePath READ setAsidePath NOTIFY setAsidePathChanged)
public:
    // `storePath`: the notes file, normally "notes.json" in the data folder. It is read at the first
    // use of the notes (the notes page's), not here: the start does not wait for a large file.
    explicit NotesService(QString storePath, Clock* clock = Clock::system(), QObject* parent = nullptr);

    // The process-wide service, created on first use.
    static NotesService& shared();
    static QString fileName() { return QStringLiteral("notes.json"); }

    const QList<Note>& notes() const {
        ensureLoaded();
        return m_notes;
    }
    QUuid currentID() const {
        ensureLoaded();
        return m_currentID;
    }
    // The note whose id is currentID(), else the first note.
    Note currentNote() const;

    // Sets the current note's text (also when unchanged), stamps it and schedules a save.
    void updateCurrentNote(const QString& body);
    // Removes every note with `id` and schedules a save (also when none had it). The first note
    // left becomes current if the current one went; a new empty note is made when none is left.
    void deleteNote(const QUuid& id);
    // Writes a pending save now, or retries the last save when it failed; nothing otherwise.
    void flush();
    // Why the last save failed, or empty when it succeeded (or none was tried). The notes stay in
    // memory meanwhile, and every later edit, and flush(), tries again.
    QString saveError() const { return m_saveError; }
    // Where the notes file that could not be read was moved, or empty when none was.
    QString setAsidePath() const {
        ensureLoaded();
        return m_setAsidePath;
    }

    Debouncer& debouncer() { return *m_debouncer; }

    // The file's text for `notes`: indented, keys sorted, ids upper case, dates whole seconds in UTC.
    static QByteArray encode(const QList<Note>& notes);
    // The notes of a file's text, or none (with `error` set) when it is not exactly that form.
    static std::optional<QList<Note>> decode(const QByteArray& bytes, QString* error = nullptr);

signals:
    void notesChanged(const QList<Note>& notes);
    void currentIDChanged(const QUuid& currentID);
    void saveErrorChanged(const QString& error);
    void setAsidePathChanged(const QString& path);

private:
    void load();
    // Reads the file once, at the first use; every public member that reads the notes calls it.
    void ensureLoaded() const;
    Note newNote() const;
    void scheduleSave();
    void save();
    void setSaveError(const QString& error);
    // Moves the unreadable file aside; false (logged) when it is still in the way.
    bool setUnreadableAside();

    QString m_storePath;
    Clock* m_clock;
    Debouncer* m_debouncer;
    bool m_loaded = false;
    QList<Note> m_notes;
    QUuid m_currentID;
    // The file on disk could not be used: it must be moved aside before anything replaces it.
    bool m_mustSetAside = false;
    QString m_setAsideReason;
    QString m_setAsideError;
    QString m_saveError;
    QString m_setAsidePath;
};
