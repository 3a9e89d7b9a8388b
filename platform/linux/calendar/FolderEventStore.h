#pragma once

#include "platform/EventStore.h"
#include "platform/linux/calendar/CalendarFile.h"

#include <QFileSystemWatcher>
#include <QHash>
#include <QString>
#include <QThreadPool>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

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
// rewritten when libical reads it without a single error, and completing a to-do replaces that
// to-do's own lines and nothing else, so a file of several VCALENDARs stays as it was around it.
// Files are parsed with libical (see CalendarFile for the limits they are read under) and kept
// until they change on disk; a file refused or read in part is logged at warning level once per
// version of it.
//
// fetchEvents, fetchReminderLists, fetchReminders and the two saves run on a reader thread of the
// store's own, one request after another, and answer on the main thread in the order asked; a
// newer fetchEvents or fetchReminderLists abandons an older one still waiting or reading, and the
// store's end abandons them all (a save still waiting is made before the store ends).
// fetchEvents reads each calendar folder on a worker of its own, beside the others: when a folder
// is still being read after slowFolderMs while others are done, it answers with the calendars read
// so far, and again once every folder is read if that adds a calendar. Each folder's files are
// used under the folder's own lock, so the other calls wait only for a folder being read, and the
// reminder lists not even for that when none of its files holds a to-do.
//
// The folder, its subfolders and their files are watched: changed() follows once per burst
// (coalesced) whenever a file or the authorisation changes, also when another program creates or
// removes the folder or replaces a file by renaming another over it.
class FolderEventStore final : public EventStore {
    Q_OBJECT
public:
    // `folder` empty: defaultFolder().
    explicit FolderEventStore(const QString& folder = {}, QObject* parent = nullptr);
    // Abandons what the reader is doing and waits for it to stop.
    ~FolderEventStore() override;

    // The limits files are read and expanded under from now on (files already read keep theirs).
    void setLimits(const CalendarFile::Limits& limits);

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
    // (RRULE, RDATE with periods, EXDATE and RECURRENCE-ID overrides).
    QList<Event> eventsInRange(const QDateTime& start, const QDateTime& end,
                               const QList<Calendar>& calendars) override;
    void fetchEvents(const QList<Range>& ranges, const QObject* context,
                     std::function<void(const EventsAnswer& answer)> done) override;
    void fetchReminderLists(
        const QObject* context,
        std::function<void(const QList<Calendar>& lists, const std::optional<Calendar>& defaultList)> done)
        override;

    QList<Calendar> reminderLists() override;
    // The first list by title (its displayname, else the folder name).
    std::optional<Calendar> defaultListForNewReminders() override;
    void fetchReminders(const std::optional<Calendar>& list, const QObject* context,
                        std::function<void(const QList<Reminder>& reminders)> done) override;
    std::optional<Reminder> reminderWithIdentifier(const QString& identifier) override;
    // Sets STATUS, COMPLETED and PERCENT-COMPLETE (back to NEEDS-ACTION without the other two),
    // and LAST-MODIFIED and DTSTAMP to now.
    bool setReminderCompleted(const QString& identifier, bool completed, QString* error) override;
    std::optional<QString> addReminder(const QString& title, const Calendar& list, QString* error) override;
    void saveReminderCompleted(const QString& identifier, bool completed, const QObject* context,
                               std::function<void(const SaveAnswer& answer)> done) override;
    void saveNewReminder(const QString& title, const std::optional<Calendar>& list, const QObject* context,
                         std::function<void(const SaveAnswer& answer)> done) override;

    // How many files were parsed since creation (the rest came from the cache).
    int parsedFileCount() const { return m_parsedFiles.load(); }

    static constexpr int coalesceMs = 50;
    // How long fetchEvents waits for a slow calendar folder before it answers without it.
    static constexpr int slowFolderMs = 150;

private:
    // What identifies one version of a file on disk: a rewrite or a rename over it changes it.
    struct FileVersion {
        qint64 inode = -1;
        qint64 size = -1;
        qint64 modifiedNs = -1;
        bool operator==(const FileVersion& other) const {
            return inode == other.inode && size == other.size && modifiedNs == other.modifiedNs;
        }
    };
    struct Cached {
        FileVersion version;
        std::shared_ptr<const CalendarFile> file;
    };
    using Files = QList<std::shared_ptr<const CalendarFile>>;
    // One calendar folder's parsed files. They are read, and their series expanded, only under the
    // folder's lock: one user per folder at a time, while other folders are read beside it.
    struct FolderFiles {
        std::mutex lock;
        QHash<QString, Cached> files;
    };
    // Whether the work in hand is still wanted: not when the store is ending, nor when a newer
    // request of the same kind has come (`wanted` past `generation`).
    struct Reading {
        const std::atomic<bool>* quitting = nullptr;
        const std::atomic<quint64>* wanted = nullptr;
        quint64 generation = 0;
        bool stopped() const;
    };
    // What one folder adds to a fetchEvents answer.
    struct FolderEvents {
        bool read = false;
        std::optional<Calendar> calendar;
        QList<QList<Event>> events;
        QList<UnreadableFile> unreadable;
    };
    struct Gathering;

    static FileVersion versionOf(const QString& path);
    static QString versionText(const FileVersion& version);
    Reading now() const { return {&m_quitting}; }

    PermissionStatus currentStatus() const;
    QString snapshot() const;
    void rewatch();
    void onWatchedPathChanged();
    void emitIfChanged();
    // The state of a calendar folder, made on first use.
    std::shared_ptr<FolderFiles> folderFiles(const QString& calendarFolder);
    // The parsed .ics files of one calendar folder, in name order, parsing what changed; the
    // caller holds `state`'s lock. False when the reading was stopped.
    bool filesOf(const QString& calendarFolder, FolderFiles& state, const Reading& reading, Files& into);
    // The same under the folder's lock, for a caller that only reads what the files hold.
    bool readFolder(const QString& calendarFolder, const Reading& reading, Files& into);
    // The calendar folders, by name; empty without access.
    QStringList calendarFolders() const;
    Calendar calendarOf(const QString& calendarFolder) const;
    // The folder of a calendar identifier, or empty when it names no calendar folder.
    QString folderOf(const QString& identifier) const;
    bool calendarsWithEvents(const Reading& reading, QList<Calendar>& into);
    // The occurrences of `files` (held under their folder's lock) that run into `range`.
    bool appendEvents(const Range& range, const Calendar& calendar, const Files& files,
                      const Reading& reading, QList<Event>& into);
    bool eventsOf(const Range& range, const QList<Calendar>& calendars, const Reading& reading,
                  QList<Event>& into);
    // One folder's part of a fetchEvents answer.
    bool folderEvents(const QString& calendarFolder, const QList<Range>& ranges, const Reading& reading,
                      FolderEvents& into);
    bool listsOf(const Reading& reading, QList<Calendar>& into);
    static std::optional<Calendar> defaultOf(const QList<Calendar>& lists);
    // The list a quick add without one goes to: the default list, or, while the folder holds no
    // list at all, a new empty "reminders" folder (as a fresh store has none). None, with `error`
    // saying why, when that folder could not be made.
    std::optional<Calendar> listForQuickAdd(QString* error);
    static void remindersFrom(const Calendar& list, const Files& files, QList<Reminder>& into);
    bool remindersIn(const QString& calendarFolder, const Reading& reading, QList<Reminder>& into);
    bool remindersOf(const std::optional<Calendar>& list, const Reading& reading, QList<Reminder>& into);
    // The file holding the reminder and its position among the file's to-dos.
    bool locateReminder(const QString& identifier, QString* path, int* index, Reminder* found);
    CalendarFile::Limits limits() const;

    // Runs `job` on the reader thread, after the jobs before it. A job that `mustRun` (a save) is
    // run by the store's end if the reader has not reached it.
    void post(std::function<void()> job, bool mustRun = false);
    void runReader();

    QString m_folder;
    QFileSystemWatcher m_watcher;
    QTimer m_coalesce;
    QString m_lastSnapshot;
    // Guards m_folders and m_limits.
    mutable std::mutex m_stateLock;
    QHash<QString, std::shared_ptr<FolderFiles>> m_folders;
    CalendarFile::Limits m_limits;
    // One save at a time, whichever thread asks.
    std::mutex m_writeLock;
    std::atomic<int> m_parsedFiles{0};

    std::atomic<bool> m_quitting{false};
    std::atomic<quint64> m_eventsWanted{0};
    std::atomic<quint64> m_listsWanted{0};
    std::mutex m_jobsLock;
    std::condition_variable m_jobsReady;
    std::deque<std::pair<std::function<void()>, bool>> m_jobs;
    std::thread m_reader;
    // The folder workers of fetchEvents.
    QThreadPool m_workers;
};
