#include "platform/ContextCallback.h"
#include "platform/PlatformLog.h"
#include "platform/linux/calendar/FileSlices.h"
#include "platform/linux/calendar/FolderEventStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

// Whether a calendar folder may be a reminder list without parsing it: it has no ".ics" file, or
// one with a line "BEGIN:VTODO".
bool mayHoldTodos(const QString& calendarFolder) {
    const QStringList names = QDir(calendarFolder).entryList({QStringLiteral("*.ics")}, QDir::Files);
    if (names.isEmpty())
        return true;
    constexpr char begin[] = "BEGIN:VTODO";
    constexpr qsizetype length = sizeof(begin) - 1;
    for (const QString& name : names) {
        QFile file(calendarFolder + QLatin1Char('/') + name);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            continue;
        const QByteArray bytes = FileSlices::read(file);
        const char* at = bytes.constData();
        const char* const end = at + bytes.size();
        while (at < end) {
            if (end - at >= length && qstrnicmp(at, begin, size_t(length)) == 0)
                return true;
            const void* newline = memchr(at, '\n', size_t(end - at));
            at = newline ? static_cast<const char*>(newline) + 1 : end;
        }
    }
    return false;
}

} // namespace

bool FolderEventStore::listsOf(const Reading& reading, QList<Calendar>& into) {
    if (currentStatus() != PermissionStatus::authorized)
        return true;
    for (const QString& folder : calendarFolders()) {
        // A folder being read for its events (a large or slow calendar) is waited for only when
        // it may hold to-dos: the lists do not wait behind a calendar of events.
        const std::shared_ptr<FolderFiles> state = folderFiles(folder);
        std::unique_lock<std::mutex> lock(state->lock, std::try_to_lock);
        if (!lock.owns_lock()) {
            if (!mayHoldTodos(folder))
                continue;
            lock.lock();
        }
        Files files;
        if (!filesOf(folder, *state, reading, files))
            return false;
        if (files.isEmpty() || std::any_of(files.begin(), files.end(),
                                           [](const auto& file) { return !file->todos().isEmpty(); }))
            into.append(calendarOf(folder));
    }
    return true;
}

std::optional<EventStore::Calendar> FolderEventStore::defaultOf(const QList<Calendar>& lists) {
    const auto first = std::min_element(lists.begin(), lists.end(), [](const Calendar& a, const Calendar& b) {
        const int byTitle = a.title.compare(b.title, Qt::CaseInsensitive);
        return byTitle != 0 ? byTitle < 0 : a.identifier < b.identifier;
    });
    if (first == lists.end())
        return std::nullopt;
    return *first;
}

QList<EventStore::Calendar> FolderEventStore::reminderLists() {
    QList<Calendar> result;
    listsOf(now(), result);
    return result;
}

std::optional<EventStore::Calendar> FolderEventStore::defaultListForNewReminders() {
    return defaultOf(reminderLists());
}

std::optional<EventStore::Calendar> FolderEventStore::listForQuickAdd(QString* error) {
    if (std::optional<Calendar> list = defaultListForNewReminders())
        return list;
    if (currentStatus() != PermissionStatus::authorized)
        return std::nullopt;
    // Only a name nothing holds yet: a folder of events there stays a calendar of events.
    const QString folder = m_folder + QStringLiteral("/reminders");
    QString why;
    if (QFileInfo::exists(folder))
        why = QStringLiteral("%1 is already taken by something that is no reminder list").arg(folder);
    else if (::mkdir(QFile::encodeName(folder).constData(), S_IRWXU) != 0)
        why = QStringLiteral("%1 (%2)").arg(qt_error_string(errno), folder);
    if (!why.isEmpty()) {
        qCWarning(lcPlatform, "no reminders list, and none could be made: %s", qUtf8Printable(why));
        *error = QStringLiteral("The reminder list could not be made: %1").arg(why);
        return std::nullopt;
    }
    qCInfo(lcPlatform, "reminders list created: %s", qUtf8Printable(folder));
    return calendarOf(folder);
}

void FolderEventStore::fetchReminderLists(
    const QObject* context,
    std::function<void(const QList<Calendar>& lists, const std::optional<Calendar>& defaultList)> done) {
    const quint64 generation = ++m_listsWanted;
    auto reply = ContextCallback<void(const QList<Calendar>&, const std::optional<Calendar>&)>(
        context, std::move(done));
    post([this, generation, reply] {
        QList<Calendar> lists;
        if (!listsOf({&m_quitting, &m_listsWanted, generation}, lists))
            return;
        QMetaObject::invokeMethod(
            this,
            [this, generation, reply, lists] {
                if (generation == m_listsWanted.load())
                    reply(lists, defaultOf(lists));
            },
            Qt::QueuedConnection);
    });
}

bool FolderEventStore::remindersIn(const QString& calendarFolder, const Reading& reading,
                                   QList<Reminder>& into) {
    Files files;
    if (!readFolder(calendarFolder, reading, files))
        return false;
    remindersFrom(calendarOf(calendarFolder), files, into);
    return true;
}

void FolderEventStore::remindersFrom(const Calendar& list, const Files& files, QList<Reminder>& into) {
    for (const auto& file : files) {
        for (int n = 0; n < file->todos().size(); ++n) {
            const CalendarFile::Todo& todo = file->todos()[n];
            Reminder reminder;
            reminder.identifier = !todo.uid.isEmpty() ? todo.uid
                                                      : list.identifier + QLatin1Char('/') +
                                                            QFileInfo(file->path()).fileName() +
                                                            QLatin1Char('#') + QString::number(n);
            reminder.title = todo.title;
            reminder.isCompleted = todo.completed;
            reminder.due = todo.due;
            reminder.dueIsDate = todo.dueIsDate;
            reminder.listIdentifier = list.identifier;
            reminder.listTitle = list.title;
            reminder.listColor = list.color;
            into.append(reminder);
        }
    }
}

bool FolderEventStore::remindersOf(const std::optional<Calendar>& list, const Reading& reading,
                                   QList<Reminder>& into) {
    if (currentStatus() != PermissionStatus::authorized)
        return true;
    QList<Calendar> lists;
    if (list)
        lists.append(*list);
    else if (!listsOf(reading, lists))
        return false;
    for (const Calendar& each : std::as_const(lists)) {
        const QString folder = folderOf(each.identifier);
        if (!folder.isEmpty() && !remindersIn(folder, reading, into))
            return false;
    }
    return true;
}

void FolderEventStore::fetchReminders(const std::optional<Calendar>& list, const QObject* context,
                                      std::function<void(const QList<Reminder>& reminders)> done) {
    auto reply = ContextCallback<void(const QList<Reminder>&)>(context, std::move(done));
    post([this, list, reply] {
        QList<Reminder> result;
        if (!remindersOf(list, now(), result))
            return;
        QMetaObject::invokeMethod(
            this, [reply, result] { reply(result); }, Qt::QueuedConnection);
    });
}

bool FolderEventStore::locateReminder(const QString& identifier, QString* path, int* index, Reminder* found) {
    if (identifier.isEmpty() || currentStatus() != PermissionStatus::authorized)
        return false;
    QList<Calendar> lists;
    listsOf(now(), lists);
    for (const Calendar& list : std::as_const(lists)) {
        const QString folder = folderOf(list.identifier);
        if (folder.isEmpty())
            continue;
        Files files;
        if (!readFolder(folder, now(), files))
            return false;
        QList<Reminder> reminders;
        remindersFrom(list, files, reminders);
        int at = 0;
        for (const auto& file : std::as_const(files)) {
            for (int n = 0; n < file->todos().size(); ++n, ++at) {
                if (reminders.value(at).identifier != identifier)
                    continue;
                if (path)
                    *path = file->path();
                if (index)
                    *index = n;
                if (found)
                    *found = reminders[at];
                return true;
            }
        }
    }
    return false;
}

std::optional<EventStore::Reminder> FolderEventStore::reminderWithIdentifier(const QString& identifier) {
    Reminder found;
    if (!locateReminder(identifier, nullptr, nullptr, &found))
        return std::nullopt;
    return found;
}
