#include "platform/linux/FolderEventStore.h"

#include "platform/AtomicWrite.h"
#include "platform/ContextCallback.h"
#include "platform/PlatformLog.h"

#include <QDir>
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

// What identifies one version of a file on disk: a rewrite or a rename over it changes it.
struct FileKey {
    qint64 inode = -1;
    qint64 size = -1;
    qint64 modifiedNs = -1;
    bool operator==(const FileKey& other) const {
        return inode == other.inode && size == other.size && modifiedNs == other.modifiedNs;
    }
};

FileKey fileKey(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return {qint64(info.st_ino), qint64(info.st_size),
            qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

QString keyText(const FileKey& key) {
    return QStringLiteral("%1:%2:%3").arg(key.inode).arg(key.size).arg(key.modifiedNs);
}

std::optional<QString> textOf(icalcomponent* event, icalproperty_kind kind) {
    icalproperty* property = icalcomponent_get_first_property(event, kind);
    if (!property)
        return std::nullopt;
    // The typed getters give the text unescaped.
    const char* text = nullptr;
    switch (kind) {
    case ICAL_SUMMARY_PROPERTY:
        text = icalproperty_get_summary(property);
        break;
    case ICAL_LOCATION_PROPERTY:
        text = icalproperty_get_location(property);
        break;
    case ICAL_DESCRIPTION_PROPERTY:
        text = icalproperty_get_description(property);
        break;
    case ICAL_UID_PROPERTY:
        text = icalproperty_get_uid(property);
        break;
    case ICAL_URL_PROPERTY:
        text = icalproperty_get_url(property);
        break;
    default:
        break;
    }
    return QString::fromUtf8(text ? text : "");
}

// One zone object per distinct VTIMEZONE, shared by every file that carries the same text: libical
// works out a zone's changes on first use, and doing so once instead of once per file is most of
// the cost of reading a folder of files from one client. Main thread only; lives for the process.
icaltimezone* sharedZone(icalcomponent* vtimezone) {
    static QHash<QByteArray, icaltimezone*> zones;
    char* text = icalcomponent_as_ical_string_r(vtimezone);
    const QByteArray key(text ? text : "");
    free(text);
    icaltimezone*& zone = zones[key];
    if (!zone) {
        zone = icaltimezone_new();
        if (!icaltimezone_set_component(zone, icalcomponent_new_clone(vtimezone))) {
            icaltimezone_free(zone, 1);
            zone = nullptr;
            zones.remove(key);
        }
    }
    return zone;
}

// The TZID parameter of a property, borrowed from the component.
const char* tzidOf(icalcomponent* event, icalproperty_kind kind) {
    icalproperty* property = icalcomponent_get_first_property(event, kind);
    icalparameter* tzid =
        property ? icalproperty_get_first_parameter(property, ICAL_TZID_PARAMETER) : nullptr;
    return tzid ? icalparameter_get_tzid(tzid) : nullptr;
}

// The zone a date-time property names: the file's VTIMEZONE (as its shared zone), else one of
// libical's own zones by the same name.
icaltimetype zoned(icalcomponent* event, icalproperty_kind kind, icaltimetype time,
                   const QHash<QByteArray, icaltimezone*>& fileZones) {
    if (time.is_date || icaltime_is_utc(time))
        return time;
    const char* name = tzidOf(event, kind);
    if (!name || !*name)
        return time;
    if (icaltimezone* shared = fileZones.value(QByteArray::fromRawData(name, qsizetype(strlen(name))))) {
        time.zone = shared;
    } else if (!time.zone) {
        if (icaltimezone* zone = icaltimezone_get_builtin_timezone(name))
            time.zone = zone;
    }
    return time;
}

// A DATE is local midnight; a floating time is local wall time. Every result is in UTC, so that
// comparing and sorting never goes through the local zone again.
QDateTime toDateTime(const icaltimetype& time) {
    if (icaltime_is_null_time(time))
        return {};
    const QDate date(time.year, time.month, time.day);
    if (time.is_date)
        return QDateTime(date, QTime(0, 0), Qt::LocalTime).toUTC();
    const QTime clock(time.hour, time.minute, time.second);
    if (icaltime_is_utc(time))
        return QDateTime(date, clock, Qt::UTC);
    if (time.zone && !clock.isValid())
        return QDateTime::fromSecsSinceEpoch(icaltime_as_timet_with_zone(time, time.zone), Qt::UTC);
    if (time.zone) {
        // The zone's offset at that wall-clock time, applied to the same fields read as UTC.
        icaltimetype local = time;
        const int offset = icaltimezone_get_utc_offset(const_cast<icaltimezone*>(time.zone), &local, nullptr);
        return QDateTime(date, clock, Qt::UTC).addSecs(-offset);
    }
    return QDateTime(date, clock, Qt::LocalTime).toUTC();
}

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

icaltimetype toIcal(const QDateTime& moment) {
    return icaltime_from_timet_with_zone(moment.toSecsSinceEpoch(), 0, icaltimezone_get_utc_timezone());
}

// Whether an occurrence belongs to a range: it must run into it; one that ends as the range
// starts does not, but an instant at the range's start does.
bool overlaps(const QDateTime& start, const QDateTime& end, const QDateTime& from, const QDateTime& to) {
    if (start > to)
        return false;
    return end > from || (start == end && start >= from);
}

} // namespace

struct FolderEventStore::ParsedFile {
    struct Fields {
        std::optional<QString> uid;
        std::optional<QString> title;
        std::optional<QString> location;
        std::optional<QString> notes;
        std::optional<QUrl> url;
    };
    // An event that happens once (or one moved occurrence of a recurring one).
    struct Single {
        Fields fields;
        QDateTime start;
        QDateTime end;
        bool allDay = false;
        // The occurrence the identifier names: its start, or the occurrence a RECURRENCE-ID moves.
        QDateTime occurrence;
        bool movesAnOccurrence = false;
    };
    // A recurring event, expanded for each query.
    struct Recurring {
        Fields fields;
        icalcomponent* master = nullptr;
        bool allDay = false;
        // DTSTART is a DATE or a time without zone: libical hands its occurrences as UTC fields.
        bool wallClock = false;
        icaltimezone* fallbackZone = nullptr;
        qint64 durationSeconds = 0;
        qint64 durationDays = 0;
        QList<QDateTime> moved;
        // The occurrences found between expandedFrom and expandedTo, kept for the next queries.
        mutable QDateTime expandedFrom;
        mutable QDateTime expandedTo;
        mutable QList<QDateTime> expandedStarts;
    };

    // A to-do. `uid` is empty when the to-do has none; `due` is invalid without a due date.
    struct Todo {
        QString uid;
        std::optional<QString> title;
        bool completed = false;
        QDateTime due;
    };

    FileKey key;
    QString path;
    icalcomponent* root = nullptr;
    QList<Todo> todos;
    // The file's VTIMEZONEs by TZID, as shared zones.
    QHash<QByteArray, icaltimezone*> zones;
    QList<Single> singles;
    QList<Recurring> recurring;
    // Copies of zoned recurring events, expanded in wall-clock time (see add()).
    QList<icalcomponent*> wallClockCopies;

    ParsedFile() = default;
    ParsedFile(const ParsedFile&) = delete;
    ParsedFile& operator=(const ParsedFile&) = delete;
    ~ParsedFile() {
        for (icalcomponent* copy : std::as_const(wallClockCopies))
            icalcomponent_free(copy);
        if (root)
            icalcomponent_free(root);
    }
    bool hasEvents() const { return !singles.isEmpty() || !recurring.isEmpty(); }

    void add(icalcomponent* event);
    static QDateTime endOf(const Recurring& event, const QDateTime& start);
    void addOccurrences(const Recurring& event, const QDateTime& from, const QDateTime& to,
                        QList<std::pair<const Recurring*, QDateTime>>& into) const;
};

void FolderEventStore::ParsedFile::add(icalcomponent* event) {
    const icaltimetype rawStart = icalcomponent_get_dtstart(event);
    if (icaltime_is_null_time(rawStart))
        return;
    const icaltimetype start = zoned(event, ICAL_DTSTART_PROPERTY, rawStart, zones);
    const bool allDay = start.is_date;
    const QDateTime startAt = toDateTime(start);
    if (!startAt.isValid())
        return;
    QDateTime endAt;
    if (icalproperty* dtend = icalcomponent_get_first_property(event, ICAL_DTEND_PROPERTY)) {
        endAt = toDateTime(zoned(event, ICAL_DTEND_PROPERTY, icalproperty_get_dtend(dtend), zones));
    } else if (icalproperty* duration = icalcomponent_get_first_property(event, ICAL_DURATION_PROPERTY)) {
        const icaldurationtype length = icalproperty_get_duration(duration);
        if (allDay) {
            const int days = int(length.weeks * 7 + length.days) * (length.is_neg ? -1 : 1);
            endAt = startAt.toLocalTime().addDays(days).toUTC();
        } else {
            endAt = startAt.addSecs(icaldurationtype_as_int(length));
        }
    } else {
        endAt = allDay ? startAt.toLocalTime().addDays(1).toUTC() : startAt;
    }
    if (!endAt.isValid())
        endAt = startAt;

    Fields fields;
    fields.uid = textOf(event, ICAL_UID_PROPERTY);
    fields.title = textOf(event, ICAL_SUMMARY_PROPERTY);
    fields.location = textOf(event, ICAL_LOCATION_PROPERTY);
    fields.notes = textOf(event, ICAL_DESCRIPTION_PROPERTY);
    if (const std::optional<QString> url = textOf(event, ICAL_URL_PROPERTY)) {
        const QUrl parsed(url->trimmed(), QUrl::StrictMode);
        if (parsed.isValid() && !parsed.isEmpty())
            fields.url = parsed;
    }

    const icaltimetype recurrenceId = icalcomponent_get_recurrenceid(event);
    const bool recurs = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY) ||
                        icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY);
    if (!icaltime_is_null_time(recurrenceId) || !recurs) {
        Single single{fields, startAt, endAt, allDay, startAt, false};
        if (!icaltime_is_null_time(recurrenceId)) {
            single.movesAnOccurrence = true;
            single.occurrence = toDateTime(zoned(event, ICAL_RECURRENCEID_PROPERTY, recurrenceId, zones));
            for (Recurring& master : recurring) {
                if (master.fields.uid == fields.uid)
                    master.moved.append(single.occurrence);
            }
        }
        singles.append(single);
        return;
    }
    Recurring master;
    master.fields = fields;
    master.master = event;
    master.allDay = allDay;
    master.wallClock = allDay || (!icaltime_is_utc(rawStart) && !rawStart.zone);
    master.fallbackZone = rawStart.zone ? nullptr : const_cast<icaltimezone*>(start.zone);
    if (!allDay && !icaltime_is_utc(rawStart) && start.zone) {
        // Expanded in wall-clock time on a copy without zones, then placed in the shared zone, so
        // that libical never works out the file's own copy of the zone.
        icalcomponent* copy = icalcomponent_new_clone(event);
        for (icalproperty* property = icalcomponent_get_first_property(copy, ICAL_ANY_PROPERTY); property;
             property = icalcomponent_get_next_property(copy, ICAL_ANY_PROPERTY))
            icalproperty_remove_parameter_by_kind(property, ICAL_TZID_PARAMETER);
        wallClockCopies.append(copy);
        master.master = copy;
        master.wallClock = true;
        master.fallbackZone = const_cast<icaltimezone*>(start.zone);
    }
    master.durationSeconds = startAt.secsTo(endAt);
    master.durationDays = startAt.toLocalTime().date().daysTo(endAt.toLocalTime().date());
    // A moved occurrence written before its master.
    for (const Single& single : std::as_const(singles)) {
        if (single.movesAnOccurrence && single.fields.uid == fields.uid)
            master.moved.append(single.occurrence);
    }
    recurring.append(master);
}

namespace {

struct Expansion {
    QList<time_t> starts;
};

void collectOccurrence(icalcomponent*, icaltime_span* span, void* data) {
    static_cast<Expansion*>(data)->starts.append(span->start);
}

} // namespace

QDateTime FolderEventStore::ParsedFile::endOf(const Recurring& event, const QDateTime& start) {
    if (!event.allDay)
        return start.addSecs(event.durationSeconds);
    // Whole local days, also across a change to or from summer time.
    return start.toLocalTime().addDays(event.durationDays).toUTC();
}

void FolderEventStore::ParsedFile::addOccurrences(const Recurring& event, const QDateTime& from,
                                                  const QDateTime& to,
                                                  QList<std::pair<const Recurring*, QDateTime>>& into) const {
    if (!event.expandedFrom.isValid() || from < event.expandedFrom || to > event.expandedTo) {
        // Expand a few days around the range, so that the next queries (the rest of the day, the
        // next two days) are answered from the same expansion. Wall-clock events may sit up to a
        // day away from UTC: ask a day wider on each side, then cut exactly.
        event.expandedFrom = from.addDays(-1);
        event.expandedTo = std::max(to, from.addDays(3)).addDays(1);
        event.expandedStarts.clear();
        Expansion expansion;
        icalcomponent_foreach_recurrence(event.master, toIcal(event.expandedFrom), toIcal(event.expandedTo),
                                         collectOccurrence, &expansion);
        for (const time_t value : std::as_const(expansion.starts)) {
            QDateTime start = QDateTime::fromSecsSinceEpoch(qint64(value), Qt::UTC);
            if (event.wallClock || event.fallbackZone) {
                // libical read the fields without a zone as UTC; put them back where they belong.
                if (event.allDay) {
                    start = QDateTime(start.date(), QTime(0, 0), Qt::LocalTime).toUTC();
                } else if (event.fallbackZone) {
                    icaltimetype fields = icaltime_from_timet_with_zone(value, 0, nullptr);
                    fields.zone = event.fallbackZone;
                    start = QDateTime::fromSecsSinceEpoch(
                        icaltime_as_timet_with_zone(fields, event.fallbackZone), Qt::UTC);
                } else {
                    start = QDateTime(start.date(), start.time(), Qt::LocalTime).toUTC();
                }
            }
            if (!event.moved.contains(start))
                event.expandedStarts.append(start);
        }
    }
    for (const QDateTime& start : std::as_const(event.expandedStarts)) {
        if (overlaps(start, endOf(event, start), from, to))
            into.append({&event, start});
    }
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

FolderEventStore::~FolderEventStore() = default;

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
        result +=
            QLatin1Char('\n') + entry.fileName() + QLatin1Char('\t') + keyText(fileKey(entry.filePath()));
        if (!entry.isDir())
            continue;
        const QFileInfoList inner =
            QDir(entry.filePath())
                .entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
        for (const QFileInfo& file : inner) {
            result += QLatin1Char('\n') + entry.fileName() + QLatin1Char('/') + file.fileName() +
                      QLatin1Char('\t') + keyText(fileKey(file.filePath()));
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

void addEventsOf(FolderEventStore::ParsedFile& parsed, icalcomponent* calendar) {
    for (icalcomponent* zone = icalcomponent_get_first_component(calendar, ICAL_VTIMEZONE_COMPONENT); zone;
         zone = icalcomponent_get_next_component(calendar, ICAL_VTIMEZONE_COMPONENT)) {
        icalproperty* tzid = icalcomponent_get_first_property(zone, ICAL_TZID_PROPERTY);
        const char* name = tzid ? icalproperty_get_tzid(tzid) : nullptr;
        if (!name)
            continue;
        if (icaltimezone* shared = sharedZone(zone))
            parsed.zones.insert(QByteArray(name), shared);
    }
    for (icalcomponent* event = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); event;
         event = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
        parsed.add(event);
    }
    for (icalcomponent* todo = icalcomponent_get_first_component(calendar, ICAL_VTODO_COMPONENT); todo;
         todo = icalcomponent_get_next_component(calendar, ICAL_VTODO_COMPONENT)) {
        FolderEventStore::ParsedFile::Todo item;
        item.uid = textOf(todo, ICAL_UID_PROPERTY).value_or(QString());
        item.title = textOf(todo, ICAL_SUMMARY_PROPERTY);
        icalproperty* status = icalcomponent_get_first_property(todo, ICAL_STATUS_PROPERTY);
        item.completed = (status && icalproperty_get_status(status) == ICAL_STATUS_COMPLETED) ||
                         icalcomponent_get_first_property(todo, ICAL_COMPLETED_PROPERTY);
        if (icalproperty* due = icalcomponent_get_first_property(todo, ICAL_DUE_PROPERTY))
            item.due = toDateTime(zoned(todo, ICAL_DUE_PROPERTY, icalproperty_get_due(due), parsed.zones));
        parsed.todos.append(item);
    }
}

} // namespace

QList<const FolderEventStore::ParsedFile*> FolderEventStore::filesOf(const QString& calendarFolder) {
    QList<const ParsedFile*> result;
    // Names only: the one stat per file is fileKey's.
    const QStringList names =
        QDir(calendarFolder).entryList({QStringLiteral("*.ics")}, QDir::Files, QDir::Name);
    const QString prefix = calendarFolder + QLatin1Char('/');
    for (const QString& name : names) {
        const QString path = prefix + name;
        const FileKey key = fileKey(path);
        std::shared_ptr<ParsedFile>& cached = m_files[path];
        if (!cached || !(cached->key == key)) {
            cached = std::make_shared<ParsedFile>();
            cached->key = key;
            cached->path = path;
            ++m_parsedFiles;
            QFile file(path);
            QByteArray bytes;
            if (file.open(QIODevice::ReadOnly))
                bytes = file.readAll();
            icalcomponent* root = bytes.isEmpty() ? nullptr : icalparser_parse_string(bytes.constData());
            if (!root) {
                qCDebug(lcPlatform, "calendar file skipped, not iCalendar: %s", qUtf8Printable(path));
            } else {
                cached->root = root;
                if (icalcomponent_isa(root) == ICAL_VCALENDAR_COMPONENT) {
                    addEventsOf(*cached, root);
                } else {
                    for (icalcomponent* inner =
                             icalcomponent_get_first_component(root, ICAL_VCALENDAR_COMPONENT);
                         inner; inner = icalcomponent_get_next_component(root, ICAL_VCALENDAR_COMPONENT))
                        addEventsOf(*cached, inner);
                }
            }
        }
        result.append(cached.get());
    }
    // Forget files that are gone from this folder.
    if (m_files.size() > result.size()) {
        QSet<QString> listed;
        for (const QString& name : names)
            listed.insert(prefix + name);
        for (auto it = m_files.begin(); it != m_files.end();) {
            if (it.key().startsWith(prefix) && !listed.contains(it.key()))
                it = m_files.erase(it);
            else
                ++it;
        }
    }
    return result;
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

QList<EventStore::Calendar> FolderEventStore::eventCalendars() {
    QList<Calendar> result;
    if (currentStatus() != PermissionStatus::authorized)
        return result;
    const QFileInfoList folders = QDir(m_folder).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& folder : folders) {
        const QList<const ParsedFile*> files = filesOf(folder.absoluteFilePath());
        if (std::any_of(files.begin(), files.end(), [](const ParsedFile* file) { return file->hasEvents(); }))
            result.append(calendarOf(folder.absoluteFilePath()));
    }
    return result;
}

QList<EventStore::Event> FolderEventStore::eventsInRange(const QDateTime& start, const QDateTime& end,
                                                         const QList<Calendar>& calendars) {
    QList<Event> result;
    if (currentStatus() != PermissionStatus::authorized || !start.isValid() || !end.isValid())
        return result;
    for (const Calendar& calendar : calendars) {
        // Only a plain folder name names a calendar here.
        if (calendar.identifier.isEmpty() || calendar.identifier.contains(QLatin1Char('/')) ||
            calendar.identifier.startsWith(QLatin1Char('.')))
            continue;
        const QString folder = m_folder + QLatin1Char('/') + calendar.identifier;
        if (!QFileInfo(folder).isDir())
            continue;
        auto makeEvent = [&](const ParsedFile::Fields& fields, const QDateTime& from, const QDateTime& to,
                             bool allDay, const QDateTime& occurrence) {
            Event event;
            if (fields.uid && !fields.uid->isEmpty()) {
                event.externalIdentifier = fields.uid;
                event.identifier = *fields.uid + QLatin1Char('/') + occurrenceText(occurrence, allDay);
            }
            event.title = fields.title;
            event.start = from;
            event.end = to;
            event.isAllDay = allDay;
            event.location = fields.location;
            event.notes = fields.notes;
            event.url = fields.url;
            event.calendarIdentifier = calendar.identifier;
            event.calendarColor = calendar.color;
            return event;
        };
        for (const ParsedFile* file : filesOf(folder)) {
            for (const ParsedFile::Single& single : file->singles) {
                if (overlaps(single.start, single.end, start, end))
                    result.append(
                        makeEvent(single.fields, single.start, single.end, single.allDay, single.occurrence));
            }
            for (const ParsedFile::Recurring& recurring : file->recurring) {
                QList<std::pair<const ParsedFile::Recurring*, QDateTime>> occurrences;
                file->addOccurrences(recurring, start, end, occurrences);
                for (const auto& [event, at] : std::as_const(occurrences)) {
                    const QDateTime until = ParsedFile::endOf(*event, at);
                    result.append(makeEvent(event->fields, at, until, event->allDay, at));
                }
            }
        }
    }
    return result;
}

// ---- Reminders ----------------------------------------------------------------------------------

namespace {

// The to-dos of a parsed file in the order the cache lists them.
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

} // namespace

QString FolderEventStore::folderOf(const QString& identifier) const {
    if (identifier.isEmpty() || identifier.contains(QLatin1Char('/')) ||
        identifier.startsWith(QLatin1Char('.')))
        return {};
    const QString folder = m_folder + QLatin1Char('/') + identifier;
    return QFileInfo(folder).isDir() ? folder : QString();
}

QList<EventStore::Calendar> FolderEventStore::reminderLists() {
    QList<Calendar> result;
    if (currentStatus() != PermissionStatus::authorized)
        return result;
    const QFileInfoList folders = QDir(m_folder).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& folder : folders) {
        const QList<const ParsedFile*> files = filesOf(folder.absoluteFilePath());
        if (files.isEmpty() || std::any_of(files.begin(), files.end(),
                                           [](const ParsedFile* file) { return !file->todos.isEmpty(); }))
            result.append(calendarOf(folder.absoluteFilePath()));
    }
    return result;
}

std::optional<EventStore::Calendar> FolderEventStore::defaultListForNewReminders() {
    const QList<Calendar> lists = reminderLists();
    const auto first = std::min_element(lists.begin(), lists.end(), [](const Calendar& a, const Calendar& b) {
        const int byTitle = a.title.compare(b.title, Qt::CaseInsensitive);
        return byTitle != 0 ? byTitle < 0 : a.identifier < b.identifier;
    });
    if (first == lists.end())
        return std::nullopt;
    return *first;
}

QList<EventStore::Reminder> FolderEventStore::remindersIn(const QString& calendarFolder) {
    QList<Reminder> result;
    const Calendar list = calendarOf(calendarFolder);
    for (const ParsedFile* file : filesOf(calendarFolder)) {
        for (int n = 0; n < file->todos.size(); ++n) {
            const ParsedFile::Todo& todo = file->todos[n];
            Reminder reminder;
            reminder.identifier = !todo.uid.isEmpty() ? todo.uid
                                                      : list.identifier + QLatin1Char('/') +
                                                            QFileInfo(file->path).fileName() +
                                                            QLatin1Char('#') + QString::number(n);
            reminder.title = todo.title;
            reminder.isCompleted = todo.completed;
            reminder.due = todo.due;
            reminder.listIdentifier = list.identifier;
            reminder.listTitle = list.title;
            reminder.listColor = list.color;
            result.append(reminder);
        }
    }
    return result;
}

void FolderEventStore::fetchReminders(const std::optional<Calendar>& list, const QObject* context,
                                      std::function<void(const QList<Reminder>& reminders)> done) {
    QList<Reminder> result;
    if (currentStatus() == PermissionStatus::authorized) {
        const QList<Calendar> lists = list ? QList<Calendar>{*list} : reminderLists();
        for (const Calendar& each : lists) {
            const QString folder = folderOf(each.identifier);
            if (!folder.isEmpty())
                result.append(remindersIn(folder));
        }
    }
    QMetaObject::invokeMethod(
        this,
        [reply = ContextCallback<void(const QList<Reminder>&)>(context, std::move(done)), result] {
            reply(result);
        },
        Qt::QueuedConnection);
}

bool FolderEventStore::locateReminder(const QString& identifier, QString* path, int* index, Reminder* found) {
    if (identifier.isEmpty() || currentStatus() != PermissionStatus::authorized)
        return false;
    for (const Calendar& list : reminderLists()) {
        const QString folder = folderOf(list.identifier);
        if (folder.isEmpty())
            continue;
        const QList<const ParsedFile*> files = filesOf(folder);
        const QList<Reminder> reminders = remindersIn(folder);
        int at = 0;
        for (const ParsedFile* file : files) {
            for (int n = 0; n < file->todos.size(); ++n, ++at) {
                if (reminders.value(at).identifier != identifier)
                    continue;
                if (path)
                    *path = file->path;
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
    if (!locateReminder(identifier, &path, &index, nullptr))
        return fail(QStringLiteral("The reminder %1 no longer exists.").arg(identifier));
    // Read afresh: the file is rewritten from what is on disk now, never from the cache.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("The reminder file %1 cannot be read: %2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    file.close();
    icalcomponent* root = bytes.isEmpty() ? nullptr : icalparser_parse_string(bytes.constData());
    const std::unique_ptr<icalcomponent, void (*)(icalcomponent*)> owner(root, icalcomponent_free);
    if (!root || icalcomponent_count_errors(root) > 0)
        return fail(
            QStringLiteral("The reminder file %1 is not valid iCalendar; it was left unchanged.").arg(path));
    const QList<icalcomponent*> todos = todosOf(root);
    icalcomponent* todo = nullptr;
    for (int n = 0; n < todos.size() && !todo; ++n) {
        const std::optional<QString> uid = textOf(todos[n], ICAL_UID_PROPERTY);
        if (uid && !uid->isEmpty() ? *uid == identifier : n == index)
            todo = todos[n];
    }
    if (!todo)
        return fail(QStringLiteral("The reminder %1 no longer exists.").arg(identifier));
    removeAll(todo, ICAL_STATUS_PROPERTY);
    removeAll(todo, ICAL_COMPLETED_PROPERTY);
    removeAll(todo, ICAL_PERCENTCOMPLETE_PROPERTY);
    if (completed) {
        icalcomponent_add_property(todo, icalproperty_new_status(ICAL_STATUS_COMPLETED));
        icalcomponent_add_property(todo, icalproperty_new_completed(utcNow()));
        icalcomponent_add_property(todo, icalproperty_new_percentcomplete(100));
    } else {
        icalcomponent_add_property(todo, icalproperty_new_status(ICAL_STATUS_NEEDSACTION));
    }
    QString writeError;
    if (!AtomicWrite::replace(path, icalText(root), &writeError))
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
