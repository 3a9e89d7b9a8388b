#pragma once

#include "platform/EventStore.h"

#include <QFileSystemWatcher>
#include <QHash>
#include <QString>
#include <QTimer>

#include <memory>

// The calendars and reminders of Linux: a folder of iCalendar files. Both entities follow the
// folder: authorized while it exists and can be read, denied when it exists but cannot be read,
// notDetermined while it is missing. requestFullAccess creates the missing folder (owner-only)
// and grants.
//
// Each subfolder is one calendar, laid out as CalDAV sync tools write them: ".ics" files and
// optional "displayname" and "color" files. A calendar with at least one VEVENT holds events; one
// with at least one VTODO, or with no ".ics" file at all, is a reminder list. A reminder's
// identifier is its UID (or, without one, its folder, file and position).
//
// Writes (completing a to-do, adding one as "<UID>.ics") go through AtomicWrite. A file is only
// rewritten when libical reads it without a single error, so nothing it could not keep is lost.
// Files are parsed with libical and kept until they change on disk; a file that does not parse
// is skipped with a debug line.
//
// The folder, its subfolders and their files are watched: changed() follows once per burst
// (coalesced) whenever a file or the authorisation changes, also when another program creates or
// removes the folder or replaces a file by renaming another over it.
class FolderEventStore final : public EventStore {
    Q_OBJECT
public:
    // `folder` empty: defaultFolder().
    explicit FolderEventStore(const QString& folder = {}, QObject* parent = nullptr);
    ~FolderEventStore() override;

    // $XDG_DATA_HOME/com.brimlark.app/calendars (~/.local/share/...).
    static QString defaultFolder();
    QString folder() const { return m_folder; }

    PermissionStatus authorizationStatus(Entity entity) const override;
    // Calls `done` before returning: (true, "") when the folder exists or could be made readable;
    // (false, reason) when it could not be created or cannot be read.
    void requestFullAccess(Entity entity, const QObject* context,
                           std::function<void(bool granted, const QString& error)> done) override;

    // The subfolders holding at least one event, by folder name.
    QList<Calendar> eventCalendars() override;
    // Events of the given calendars, file by file in name order; recurring events are expanded
    // (RRULE, RDATE, EXDATE and RECURRENCE-ID overrides).
    QList<Event> eventsInRange(const QDateTime& start, const QDateTime& end,
                               const QList<Calendar>& calendars) override;

    QList<Calendar> reminderLists() override;
    // The first list by title (its displayname, else the folder name).
    std::optional<Calendar> defaultListForNewReminders() override;
    void fetchReminders(const std::optional<Calendar>& list, const QObject* context,
                        std::function<void(const QList<Reminder>& reminders)> done) override;
    std::optional<Reminder> reminderWithIdentifier(const QString& identifier) override;
    // Sets STATUS, COMPLETED and PERCENT-COMPLETE (back to NEEDS-ACTION without the other two).
    bool setReminderCompleted(const QString& identifier, bool completed, QString* error) override;
    std::optional<QString> addReminder(const QString& title, const Calendar& list, QString* error) override;

    // How many files were parsed since creation (the rest came from the cache).
    int parsedFileCount() const { return m_parsedFiles; }

    static constexpr int coalesceMs = 50;

    struct ParsedFile;

private:
    PermissionStatus currentStatus() const;
    QString snapshot() const;
    void rewatch();
    void onWatchedPathChanged();
    void emitIfChanged();
    // The parsed .ics files of one calendar folder, in name order, parsing what changed.
    QList<const ParsedFile*> filesOf(const QString& calendarFolder);
    Calendar calendarOf(const QString& calendarFolder) const;
    // The folder of a calendar identifier, or empty when it names no calendar folder.
    QString folderOf(const QString& identifier) const;
    QList<Reminder> remindersIn(const QString& calendarFolder);
    // The file holding the reminder and its position among the file's to-dos.
    bool locateReminder(const QString& identifier, QString* path, int* index, Reminder* found);

    QString m_folder;
    QFileSystemWatcher m_watcher;
    QTimer m_coalesce;
    QString m_lastSnapshot;
    QHash<QString, std::shared_ptr<ParsedFile>> m_files;
    int m_parsedFiles = 0;
};
