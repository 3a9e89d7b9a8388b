#include "platform/linux/calendar/FolderEventStore.h"

#include "platform/AtomicWrite.h"
#include "platform/ContextCallback.h"
#include "platform/PlatformLog.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStandardPaths>
#include <QUuid>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <libical/ical.h>
#include <sys/stat.h>

namespace {

// A file that takes this long (ms) to read gets a debug line.
constexpr qint64 slowRead = 100;

// yyyyMMdd for a day, yyyyMMddTHHmmssZ in UTC for a moment.
QString occurrenceText(const QDateTime& start, bool allDay) {
    const QDateTime moment = allDay ? start : start.toUTC();
    const QDate day = moment.date();
    const QTime clock = moment.time();
    const int fields[] = {day.year(), day.month(), day.day(), clock.hour(), clock.minute(), clock.second()};
    const int widths[] = {4, 2, 2, 2, 2, 2};
    char text[20];
    int at = 0;
    for (int n = 0; n < (allDay ? 3 : 6); ++n) {
        if (n == 3)
            text[at++] = 'T';
        int value = fields[n];
        for (int digit = widths[n] - 1; digit >= 0; --digit) {
            text[at + digit] = char('0' + value % 10);
            value /= 10;
        }
        at += widths[n];
    }
    if (!allDay)
        text[at++] = 'Z';
    return QString::fromLatin1(text, at);
}

// The whole file, read a slice at a time, into `bytes`. One read() of a large file is one system
// call, and a kernel that does not preempt system calls keeps a shared CPU from the UI thread until
// it is done. The buffer keeps its memory from the file before and grows to this file's size and
// one byte (to see its end without growing): a folder's files are read into the same memory.
void readInSlices(QFile& file, QByteArray& bytes) {
    constexpr qint64 slice = 512 * 1024;
    bytes.resize(0);
    bytes.reserve(qsizetype(std::max<qint64>(file.size(), 0) + 1));
    while (true) {
        const qsizetype at = bytes.size();
        // A file that grew while read gets room a slice at a time.
        if (bytes.capacity() <= at)
            bytes.reserve(at + qsizetype(slice));
        const qint64 want = std::min<qint64>(slice, bytes.capacity() - at);
        bytes.resize(at + qsizetype(want));
        const qint64 got = file.read(bytes.data() + at, want);
        bytes.resize(at + qsizetype(std::max<qint64>(got, 0)));
        if (got <= 0)
            return;
    }
}

QByteArray readInSlices(QFile& file) {
    QByteArray bytes;
    readInSlices(file, bytes);
    return bytes;
}

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
        const QByteArray bytes = readInSlices(file);
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

bool FolderEventStore::Reading::stopped() const {
    return (quitting && quitting->load(std::memory_order_relaxed)) ||
           (wanted && wanted->load(std::memory_order_relaxed) != generation);
}

FolderEventStore::FileVersion FolderEventStore::versionOf(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return {qint64(info.st_ino), qint64(info.st_size),
            qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

QString FolderEventStore::versionText(const FileVersion& version) {
    return QStringLiteral("%1:%2:%3").arg(version.inode).arg(version.size).arg(version.modifiedNs);
}

FolderEventStore::FolderEventStore(const QString& folder, QObject* parent)
    : EventStore(parent),
      m_folder(QDir::cleanPath(QFileInfo(folder.isEmpty() ? defaultFolder() : folder).absoluteFilePath())) {
    m_coalesce.setSingleShot(true);
    m_coalesce.setInterval(coalesceMs);
    connect(&m_coalesce, &QTimer::timeout, this, &FolderEventStore::emitIfChanged);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &FolderEventStore::onWatchedPathChanged);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &FolderEventStore::onWatchedPathChanged);
    rewatch();
    m_lastSnapshot = snapshot();
}

FolderEventStore::~FolderEventStore() {
    m_quitting = true;
    m_jobsReady.notify_all();
    if (m_reader.joinable())
        m_reader.join();
    m_workers.clear();
    m_workers.waitForDone();
    // The reader and the workers have stopped. A save still waiting reads its file in full (the
    // flag would abandon that read and lose the save), then writes it.
    m_quitting = false;
    for (auto& [job, mustRun] : m_jobs) {
        if (mustRun)
            job();
    }
}

void FolderEventStore::setLimits(const CalendarFile::Limits& limits) {
    const std::lock_guard<std::mutex> lock(m_stateLock);
    m_limits = limits;
}

CalendarFile::Limits FolderEventStore::limits() const {
    const std::lock_guard<std::mutex> lock(m_stateLock);
    return m_limits;
}

void FolderEventStore::post(std::function<void()> job, bool mustRun) {
    {
        const std::lock_guard<std::mutex> lock(m_jobsLock);
        m_jobs.emplace_back(std::move(job), mustRun);
        if (!m_reader.joinable())
            m_reader = std::thread([this] { runReader(); });
    }
    m_jobsReady.notify_one();
}

void FolderEventStore::runReader() {
    while (true) {
        std::function<void()> job;
        {
            std::unique_lock<std::mutex> lock(m_jobsLock);
            m_jobsReady.wait(lock, [this] { return m_quitting.load() || !m_jobs.empty(); });
            if (m_quitting.load())
                return;
            job = std::move(m_jobs.front().first);
            m_jobs.pop_front();
        }
        job();
    }
}

QString FolderEventStore::defaultFolder() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/com.brimlark.app/calendars");
}

PermissionStatus FolderEventStore::currentStatus() const {
    const QFileInfo info(m_folder);
    if (!info.exists())
        return PermissionStatus::notDetermined;
    if (!info.isDir() || !info.isReadable() || !info.isExecutable())
        return PermissionStatus::denied;
    return PermissionStatus::authorized;
}

PermissionStatus FolderEventStore::authorizationStatus(Entity) const {
    return currentStatus();
}

void FolderEventStore::requestFullAccess(Entity, const QObject* context,
                                         std::function<void(bool granted, const QString& error)> done) {
    QString error;
    if (!QFileInfo::exists(m_folder)) {
        if (QDir().mkpath(m_folder)) {
            QFile::setPermissions(m_folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            qCInfo(lcPlatform, "calendar folder created: %s", qUtf8Printable(m_folder));
        } else {
            error = QStringLiteral("could not create the calendar folder %1").arg(m_folder);
        }
    }
    if (error.isEmpty() && currentStatus() != PermissionStatus::authorized)
        error = QStringLiteral("the calendar folder %1 cannot be read").arg(m_folder);
    rewatch();
    emitIfChanged();
    ContextCallback<void(bool, const QString&)>(context, std::move(done))(error.isEmpty(), error);
}

// What a change must alter before changed() is emitted: the status and, for every entry of the
// folder and of its subfolders, its name and the version of its file (inode, size, modification).
QString FolderEventStore::snapshot() const {
    const PermissionStatus status = currentStatus();
    QString result = QString::number(int(status));
    if (status != PermissionStatus::authorized)
        return result;
    const QFileInfoList entries =
        QDir(m_folder).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    for (const QFileInfo& entry : entries) {
        result += QLatin1Char('\n') + entry.fileName() + QLatin1Char('\t') +
                  versionText(versionOf(entry.filePath()));
        if (!entry.isDir())
            continue;
        const QFileInfoList inner =
            QDir(entry.filePath())
                .entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
        for (const QFileInfo& file : inner) {
            result += QLatin1Char('\n') + entry.fileName() + QLatin1Char('/') + file.fileName() +
                      QLatin1Char('\t') + versionText(versionOf(file.filePath()));
        }
    }
    return result;
}

// Watches the folder and its files when it exists, else the nearest existing parent, so that
// its creation is seen.
void FolderEventStore::rewatch() {
    const QStringList old = m_watcher.files() + m_watcher.directories();
    if (!old.isEmpty())
        m_watcher.removePaths(old);
    QStringList paths;
    if (QFileInfo(m_folder).isDir()) {
        // The folder, its files, each calendar folder and the files in it. A file replaced by a
        // rename is a new file: watching again after every change picks it up.
        paths.append(m_folder);
        const QFileInfoList entries =
            QDir(m_folder).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        for (const QFileInfo& entry : entries) {
            paths.append(entry.absoluteFilePath());
            if (!entry.isDir())
                continue;
            const QFileInfoList files =
                QDir(entry.absoluteFilePath()).entryInfoList(QDir::Files | QDir::Hidden);
            for (const QFileInfo& file : files)
                paths.append(file.absoluteFilePath());
        }
    } else {
        QString parent = m_folder;
        while (true) {
            const QString up = QFileInfo(parent).path();
            if (up == parent)
                break;
            parent = up;
            if (QFileInfo(parent).isDir()) {
                paths.append(parent);
                break;
            }
        }
    }
    if (!paths.isEmpty())
        m_watcher.addPaths(paths);
}

void FolderEventStore::onWatchedPathChanged() {
    rewatch();
    m_coalesce.start();
}

void FolderEventStore::emitIfChanged() {
    const QString now = snapshot();
    if (now == m_lastSnapshot)
        return;
    m_lastSnapshot = now;
    emit changed();
}

namespace {

// "#rrggbb" or, as sync tools write it, "#rrggbbaa"; anything else is no colour.
QColor parseColor(QString text) {
    text = text.trimmed();
    if (text.size() == 9 && text.startsWith(QLatin1Char('#'))) {
        bool ok = false;
        const uint value = text.mid(1).toUInt(&ok, 16);
        if (!ok)
            return {};
        return QColor(int((value >> 24) & 0xff), int((value >> 16) & 0xff), int((value >> 8) & 0xff),
                      int(value & 0xff));
    }
    if (text.size() == 7 && text.startsWith(QLatin1Char('#')))
        return QColor::fromString(text);
    return {};
}

QString readSmallText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.read(4096)).trimmed();
}

} // namespace

std::shared_ptr<FolderEventStore::FolderFiles> FolderEventStore::folderFiles(const QString& calendarFolder) {
    const std::lock_guard<std::mutex> lock(m_stateLock);
    std::shared_ptr<FolderFiles>& state = m_folders[calendarFolder];
    if (!state)
        state = std::make_shared<FolderFiles>();
    return state;
}

bool FolderEventStore::readFolder(const QString& calendarFolder, const Reading& reading, Files& into) {
    const std::shared_ptr<FolderFiles> state = folderFiles(calendarFolder);
    const std::lock_guard<std::mutex> lock(state->lock);
    return filesOf(calendarFolder, *state, reading, into);
}

QStringList FolderEventStore::calendarFolders() const {
    QStringList folders;
    if (currentStatus() != PermissionStatus::authorized)
        return folders;
    const QFileInfoList entries = QDir(m_folder).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries)
        folders.append(entry.absoluteFilePath());
    return folders;
}

bool FolderEventStore::filesOf(const QString& calendarFolder, FolderFiles& state, const Reading& reading,
                               Files& into) {
    const CalendarFile::Limits readLimits = limits();
    // Names only: the one stat per file is versionOf's.
    const QStringList names =
        QDir(calendarFolder).entryList({QStringLiteral("*.ics")}, QDir::Files, QDir::Name);
    const QString prefix = calendarFolder + QLatin1Char('/');
    QByteArray bytes;
    for (const QString& name : names) {
        const QString path = prefix + name;
        const FileVersion version = versionOf(path);
        Cached& cached = state.files[path];
        if (!cached.file || !(cached.version == version)) {
            if (reading.stopped())
                return false;
            QElapsedTimer took;
            took.start();
            QFile file(path);
            bytes.resize(0);
            if (file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
                readInSlices(file, bytes);
            std::shared_ptr<CalendarFile> parsed = CalendarFile::read(path, bytes, readLimits, m_quitting);
            if (parsed->outcome() == CalendarFile::Outcome::abandoned) {
                state.files.remove(path);
                qCDebug(lcPlatform, "calendar file %s: reading abandoned after %lld ms", qUtf8Printable(path),
                        took.elapsed());
                return false;
            }
            ++m_parsedFiles;
            if (took.elapsed() >= slowRead)
                qCDebug(lcPlatform, "calendar file %s read in %lld ms", qUtf8Printable(path), took.elapsed());
            if (parsed->outcome() == CalendarFile::Outcome::refused)
                qCWarning(lcPlatform, "calendar file %s not read: %s", qUtf8Printable(path),
                          qUtf8Printable(parsed->problem()));
            else if (parsed->outcome() == CalendarFile::Outcome::readInPart)
                qCWarning(lcPlatform, "calendar file %s read in part: %s", qUtf8Printable(path),
                          qUtf8Printable(parsed->problem()));
            cached.version = version;
            cached.file = std::move(parsed);
        }
        into.append(cached.file);
    }
    // Forget files that are gone from this folder.
    if (state.files.size() > names.size()) {
        QSet<QString> listed;
        for (const QString& name : names)
            listed.insert(prefix + name);
        state.files.removeIf(
            [&listed](QHash<QString, Cached>::iterator entry) { return !listed.contains(entry.key()); });
    }
    return true;
}

EventStore::Calendar FolderEventStore::calendarOf(const QString& calendarFolder) const {
    Calendar calendar;
    calendar.identifier = QFileInfo(calendarFolder).fileName();
    calendar.title = readSmallText(calendarFolder + QStringLiteral("/displayname"));
    if (calendar.title.isEmpty())
        calendar.title = calendar.identifier;
    calendar.color = parseColor(readSmallText(calendarFolder + QStringLiteral("/color")));
    return calendar;
}

bool FolderEventStore::calendarsWithEvents(const Reading& reading, QList<Calendar>& into) {
    for (const QString& folder : calendarFolders()) {
        Files files;
        if (!readFolder(folder, reading, files))
            return false;
        if (std::any_of(files.begin(), files.end(), [](const auto& file) { return file->hasEvents(); }))
            into.append(calendarOf(folder));
    }
    return true;
}

QList<EventStore::Calendar> FolderEventStore::eventCalendars() {
    QList<Calendar> result;
    calendarsWithEvents(now(), result);
    return result;
}

bool FolderEventStore::appendEvents(const Range& range, const Calendar& calendar, const Files& files,
                                    const Reading& reading, QList<Event>& into) {
    if (!range.start.isValid() || !range.end.isValid())
        return true;
    auto makeEvent = [&](const CalendarFile::Fields& fields, const QDateTime& from, const QDateTime& to,
                         bool allDay, const QDateTime& occurrence) {
        Event event;
        if (std::optional<QString> uid = fields[CalendarFile::Fields::uid]; uid && !uid->isEmpty()) {
            event.identifier = *uid + QLatin1Char('/') + occurrenceText(occurrence, allDay);
            event.externalIdentifier = std::move(uid);
        }
        event.title = fields[CalendarFile::Fields::title];
        event.start = from;
        event.end = to;
        event.isAllDay = allDay;
        event.location = fields[CalendarFile::Fields::location];
        event.notes = fields[CalendarFile::Fields::notes];
        event.url = fields.url;
        event.calendarIdentifier = calendar.identifier;
        event.calendarColor = calendar.color;
        return event;
    };
    // What the range holds, found first: the events are then made in a list of their size, not
    // moved again and again as it grows.
    struct Found {
        const CalendarFile::Fields* fields;
        QDateTime start;
        QDateTime end;
        bool allDay;
        QDateTime occurrence;
    };
    QList<Found> found;
    const CalendarFile::Limits expandLimits = limits();
    QList<CalendarFile::Occurrence> occurrences;
    for (const auto& file : files) {
        for (const CalendarFile::Single& single : file->singles()) {
            if (CalendarFile::overlaps(single.start, single.end, range.start, range.end))
                found.append({&single.fields, single.start, single.end, single.allDay, single.occurrence});
        }
        for (const CalendarFile::Series& series : file->series()) {
            if (reading.stopped())
                return false;
            occurrences.clear();
            if (!file->occurrences(series, range.start, range.end, expandLimits, m_quitting, occurrences))
                return false;
            for (const CalendarFile::Occurrence& occurrence : std::as_const(occurrences))
                found.append(
                    {&series.fields, occurrence.start, occurrence.end, series.allDay, occurrence.start});
        }
    }
    into.reserve(into.size() + found.size());
    for (const Found& each : std::as_const(found))
        into.append(makeEvent(*each.fields, each.start, each.end, each.allDay, each.occurrence));
    return true;
}

bool FolderEventStore::eventsOf(const Range& range, const QList<Calendar>& calendars, const Reading& reading,
                                QList<Event>& into) {
    if (currentStatus() != PermissionStatus::authorized)
        return true;
    for (const Calendar& calendar : calendars) {
        const QString folder = folderOf(calendar.identifier);
        if (folder.isEmpty())
            continue;
        const std::shared_ptr<FolderFiles> state = folderFiles(folder);
        const std::lock_guard<std::mutex> lock(state->lock);
        Files files;
        if (!filesOf(folder, *state, reading, files) || !appendEvents(range, calendar, files, reading, into))
            return false;
    }
    return true;
}

QList<EventStore::Event> FolderEventStore::eventsInRange(const QDateTime& start, const QDateTime& end,
                                                         const QList<Calendar>& calendars) {
    QList<Event> result;
    eventsOf({start, end}, calendars, now(), result);
    return result;
}

bool FolderEventStore::folderEvents(const QString& calendarFolder, const QList<Range>& ranges,
                                    const Reading& reading, FolderEvents& into) {
    const std::shared_ptr<FolderFiles> state = folderFiles(calendarFolder);
    const std::lock_guard<std::mutex> lock(state->lock);
    Files files;
    if (reading.stopped() || !filesOf(calendarFolder, *state, reading, files))
        return false;
    if (std::none_of(files.begin(), files.end(), [](const auto& file) { return file->hasEvents(); }))
        return true;
    into.calendar = calendarOf(calendarFolder);
    for (const Range& range : ranges) {
        QList<Event> events;
        if (!appendEvents(range, *into.calendar, files, reading, events))
            return false;
        into.events.append(events);
    }
    return true;
}

// The folders of one fetchEvents: each one's part once read, and how many are still being read.
struct FolderEventStore::Gathering {
    std::mutex lock;
    std::condition_variable changed;
    QList<FolderEvents> parts;
    qsizetype remaining = 0;
    // The calendars of the answer given while a folder was still being read; -1 before it.
    qsizetype answeredCalendars = -1;

    // The answer of the folders read so far, in folder order.
    EventsAnswer answer(qsizetype ranges) const {
        EventsAnswer answer;
        for (const FolderEvents& part : parts) {
            if (part.read && part.calendar)
                answer.calendars.append(*part.calendar);
        }
        if (answer.calendars.isEmpty())
            return answer;
        answer.events.resize(ranges);
        for (const FolderEvents& part : parts) {
            for (qsizetype n = 0; part.read && n < part.events.size() && n < ranges; ++n) {
                // The first folder's events are shared, not copied.
                if (answer.events[n].isEmpty())
                    answer.events[n] = part.events[n];
                else
                    answer.events[n].append(part.events[n]);
            }
        }
        return answer;
    }
    bool anyRead() const {
        return std::any_of(parts.begin(), parts.end(), [](const FolderEvents& part) { return part.read; });
    }
};

void FolderEventStore::fetchEvents(const QList<Range>& ranges, const QObject* context,
                                   std::function<void(const EventsAnswer& answer)> done) {
    const quint64 generation = ++m_eventsWanted;
    auto reply = ContextCallback<void(const EventsAnswer&)>(context, std::move(done));
    // Answers on the main thread, unless a newer fetch has started by then.
    auto answerWith = [this, generation, reply](const EventsAnswer& answer) {
        QMetaObject::invokeMethod(
            this,
            [this, generation, reply, answer] {
                if (generation == m_eventsWanted.load())
                    reply(answer);
            },
            Qt::QueuedConnection);
    };
    post([this, ranges, generation, answerWith] {
        const Reading reading{&m_quitting, &m_eventsWanted, generation};
        const QStringList folders = calendarFolders();
        if (folders.isEmpty()) {
            answerWith({});
            return;
        }
        auto gathering = std::make_shared<Gathering>();
        gathering->parts.resize(folders.size());
        gathering->remaining = folders.size();
        for (qsizetype n = 0; n < folders.size(); ++n) {
            m_workers.start([this, gathering, folder = folders[n], n, ranges, reading, answerWith] {
                FolderEvents part;
                part.read = folderEvents(folder, ranges, reading, part);
                const std::lock_guard<std::mutex> lock(gathering->lock);
                gathering->parts[n] = std::move(part);
                // The last folder answers, when the fetch is still wanted and the folders read
                // since an early answer add to it (a slow folder of to-dos adds nothing).
                if (--gathering->remaining == 0 && !reading.stopped()) {
                    EventsAnswer answer = gathering->answer(ranges.size());
                    if (answer.calendars.size() != gathering->answeredCalendars)
                        answerWith(answer);
                }
                gathering->changed.notify_all();
            });
        }
        // A slow folder does not hold back the others: after a while, what is read is answered.
        std::unique_lock<std::mutex> lock(gathering->lock);
        if (gathering->changed.wait_for(lock, std::chrono::milliseconds(slowFolderMs),
                                        [&] { return gathering->remaining == 0 || reading.stopped(); }))
            return;
        if (gathering->anyRead()) {
            EventsAnswer answer = gathering->answer(ranges.size());
            gathering->answeredCalendars = answer.calendars.size();
            answerWith(answer);
        }
    });
}

// ---- Reminders ----------------------------------------------------------------------------------

namespace {

// The to-dos of a parsed file in the order CalendarFile lists them.
QList<icalcomponent*> todosOf(icalcomponent* root) {
    QList<icalcomponent*> result;
    auto collect = [&](icalcomponent* calendar) {
        for (icalcomponent* todo = icalcomponent_get_first_component(calendar, ICAL_VTODO_COMPONENT); todo;
             todo = icalcomponent_get_next_component(calendar, ICAL_VTODO_COMPONENT))
            result.append(todo);
    };
    if (icalcomponent_isa(root) == ICAL_VCALENDAR_COMPONENT) {
        collect(root);
    } else {
        for (icalcomponent* inner = icalcomponent_get_first_component(root, ICAL_VCALENDAR_COMPONENT); inner;
             inner = icalcomponent_get_next_component(root, ICAL_VCALENDAR_COMPONENT))
            collect(inner);
    }
    return result;
}

void removeAll(icalcomponent* component, icalproperty_kind kind) {
    while (icalproperty* property = icalcomponent_get_first_property(component, kind)) {
        icalcomponent_remove_property(component, property);
        icalproperty_free(property);
    }
}

QByteArray icalText(icalcomponent* component) {
    char* text = icalcomponent_as_ical_string_r(component);
    const QByteArray bytes(text ? text : "");
    free(text);
    return bytes;
}

icaltimetype utcNow() {
    return icaltime_from_timet_with_zone(QDateTime::currentSecsSinceEpoch(), 0,
                                         icaltimezone_get_utc_timezone());
}

// Whether the content line starting at `at` is `name`, whatever its case and line ending.
bool lineIs(const QByteArray& text, qsizetype at, qsizetype end, const char* name) {
    QByteArray line = text.mid(at, end - at).trimmed();
    return line.compare(name, Qt::CaseInsensitive) == 0;
}

// Where the `index`-th VTODO of an iCalendar text lies, in document order: from its BEGIN line to
// the end of its END line.
bool todoBytes(const QByteArray& text, int index, qsizetype* from, qsizetype* to) {
    int seen = -1;
    qsizetype begin = -1;
    for (qsizetype at = 0; at < text.size();) {
        qsizetype end = text.indexOf('\n', at);
        end = end < 0 ? text.size() : end + 1;
        if (begin < 0 && lineIs(text, at, end, "BEGIN:VTODO") && ++seen == index) {
            begin = at;
        } else if (begin >= 0 && lineIs(text, at, end, "END:VTODO")) {
            *from = begin;
            *to = end;
            return true;
        }
        at = end;
    }
    return false;
}

} // namespace
QString FolderEventStore::folderOf(const QString& identifier) const {
    if (identifier.isEmpty() || identifier.contains(QLatin1Char('/')) ||
        identifier.startsWith(QLatin1Char('.')))
        return {};
    const QString folder = m_folder + QLatin1Char('/') + identifier;
    return QFileInfo(folder).isDir() ? folder : QString();
}

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

std::optional<EventStore::Calendar> FolderEventStore::listForQuickAdd() {
    if (std::optional<Calendar> list = defaultListForNewReminders())
        return list;
    if (currentStatus() != PermissionStatus::authorized)
        return std::nullopt;
    // Only a name nothing holds yet: a folder of events there stays a calendar of events.
    const QString folder = m_folder + QStringLiteral("/reminders");
    if (QFileInfo::exists(folder) || !QDir().mkdir(folder)) {
        qCWarning(lcPlatform, "no reminders list, and none could be made at %s", qUtf8Printable(folder));
        return std::nullopt;
    }
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
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

bool FolderEventStore::setReminderCompleted(const QString& identifier, bool completed, QString* error) {
    QString path;
    int index = -1;
    auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    // Two saves of one file must not interleave their reading and writing.
    const std::lock_guard<std::mutex> lock(m_writeLock);
    if (!locateReminder(identifier, &path, &index, nullptr))
        return fail(QStringLiteral("The reminder %1 no longer exists.").arg(identifier));
    // Read afresh: the file is rewritten from what is on disk now, never from the cache.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return fail(QStringLiteral("The reminder file %1 cannot be read: %2").arg(path, file.errorString()));
    const QByteArray bytes = readInSlices(file);
    file.close();
    const QString unchanged =
        QStringLiteral("The reminder file %1 is not valid iCalendar; it was left unchanged.").arg(path);
    const std::atomic<bool> never{false};
    icalcomponent* root =
        bytes.isEmpty() ? nullptr : CalendarFile::parse(bytes, QDeadlineTimer::Forever, never, nullptr);
    const std::unique_ptr<icalcomponent, void (*)(icalcomponent*)> owner(root, icalcomponent_free);
    if (!root || icalcomponent_count_errors(root) > 0)
        return fail(unchanged);
    const QList<icalcomponent*> todos = todosOf(root);
    int position = -1;
    for (int n = 0; n < todos.size() && position < 0; ++n) {
        const char* uid = icalcomponent_get_uid(todos[n]);
        if (uid && *uid ? QString::fromUtf8(uid) == identifier : n == index)
            position = n;
    }
    if (position < 0)
        return fail(QStringLiteral("The reminder %1 no longer exists.").arg(identifier));
    icalcomponent* todo = todos[position];
    removeAll(todo, ICAL_STATUS_PROPERTY);
    removeAll(todo, ICAL_COMPLETED_PROPERTY);
    removeAll(todo, ICAL_PERCENTCOMPLETE_PROPERTY);
    removeAll(todo, ICAL_LASTMODIFIED_PROPERTY);
    removeAll(todo, ICAL_DTSTAMP_PROPERTY);
    const icaltimetype now = utcNow();
    if (completed) {
        icalcomponent_add_property(todo, icalproperty_new_status(ICAL_STATUS_COMPLETED));
        icalcomponent_add_property(todo, icalproperty_new_completed(now));
        icalcomponent_add_property(todo, icalproperty_new_percentcomplete(100));
    } else {
        icalcomponent_add_property(todo, icalproperty_new_status(ICAL_STATUS_NEEDSACTION));
    }
    icalcomponent_add_property(todo, icalproperty_new_dtstamp(now));
    icalcomponent_add_property(todo, icalproperty_new_lastmodified(now));

    // Only the to-do's own lines are replaced: the other calendars, components and lines of the
    // file stay byte for byte, and a file of several VCALENDARs stays one.
    qsizetype from = 0;
    qsizetype to = 0;
    if (!todoBytes(bytes, position, &from, &to))
        return fail(unchanged);
    QByteArray replaced = bytes.left(from) + icalText(todo) + bytes.mid(to);
    // What is written must read back as the same to-dos, the changed one in its place.
    icalcomponent* check = CalendarFile::parse(replaced, QDeadlineTimer::Forever, never, nullptr);
    const std::unique_ptr<icalcomponent, void (*)(icalcomponent*)> checkOwner(check, icalcomponent_free);
    const QList<icalcomponent*> after = check ? todosOf(check) : QList<icalcomponent*>();
    if (!check || icalcomponent_count_errors(check) > 0 || after.size() != todos.size() ||
        icalcomponent_get_status(after[position]) != icalcomponent_get_status(todo))
        return fail(QStringLiteral("The reminder file %1 could not be changed without touching other items; "
                                   "it was left unchanged.")
                        .arg(path));
    QString writeError;
    if (!AtomicWrite::replace(path, replaced, &writeError))
        return fail(QStringLiteral("The reminder file %1 could not be saved: %2").arg(path, writeError));
    return true;
}

std::optional<QString> FolderEventStore::addReminder(const QString& title, const Calendar& list,
                                                     QString* error) {
    auto fail = [error](const QString& text) -> std::optional<QString> {
        if (error)
            *error = text;
        return std::nullopt;
    };
    if (currentStatus() != PermissionStatus::authorized)
        return fail(QStringLiteral("The calendar folder %1 cannot be read.").arg(m_folder));
    const QString folder = folderOf(list.identifier);
    if (folder.isEmpty())
        return fail(QStringLiteral("The reminder list %1 no longer exists.").arg(list.identifier));
    const QString uid = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    const QString path = folder + QLatin1Char('/') + uid + QStringLiteral(".ics");

    const std::lock_guard<std::mutex> lock(m_writeLock);
    icalcomponent* calendar = icalcomponent_new(ICAL_VCALENDAR_COMPONENT);
    const std::unique_ptr<icalcomponent, void (*)(icalcomponent*)> owner(calendar, icalcomponent_free);
    icalcomponent_add_property(calendar, icalproperty_new_version("2.0"));
    icalcomponent_add_property(calendar, icalproperty_new_prodid("-//Brimlark//Reminders//EN"));
    icalcomponent* todo = icalcomponent_new(ICAL_VTODO_COMPONENT);
    const icaltimetype now = utcNow();
    icalcomponent_add_property(todo, icalproperty_new_uid(uid.toUtf8().constData()));
    icalcomponent_add_property(todo, icalproperty_new_dtstamp(now));
    icalcomponent_add_property(todo, icalproperty_new_created(now));
    icalcomponent_add_property(todo, icalproperty_new_summary(title.toUtf8().constData()));
    icalcomponent_add_property(todo, icalproperty_new_status(ICAL_STATUS_NEEDSACTION));
    icalcomponent_add_component(calendar, todo);

    QString writeError;
    if (!AtomicWrite::replace(path, icalText(calendar), &writeError))
        return fail(QStringLiteral("The reminder could not be saved in %1: %2").arg(folder, writeError));
    return uid;
}

void FolderEventStore::saveReminderCompleted(const QString& identifier, bool completed,
                                             const QObject* context,
                                             std::function<void(const SaveAnswer& answer)> done) {
    auto reply = ContextCallback<void(const SaveAnswer&)>(context, std::move(done));
    post(
        [this, identifier, completed, reply] {
            const SaveAnswer answer = completeNow(identifier, completed);
            QMetaObject::invokeMethod(
                this, [reply, answer] { reply(answer); }, Qt::QueuedConnection);
        },
        true);
}

void FolderEventStore::saveNewReminder(const QString& title, const std::optional<Calendar>& list,
                                       const QObject* context,
                                       std::function<void(const SaveAnswer& answer)> done) {
    auto reply = ContextCallback<void(const SaveAnswer&)>(context, std::move(done));
    post(
        [this, title, list, reply] {
            const SaveAnswer answer = addNow(title, list ? list : listForQuickAdd());
            QMetaObject::invokeMethod(
                this, [reply, answer] { reply(answer); }, Qt::QueuedConnection);
        },
        true);
}
