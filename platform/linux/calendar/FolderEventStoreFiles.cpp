#include "platform/PlatformLog.h"
#include "platform/linux/calendar/FileSlices.h"
#include "platform/linux/calendar/FolderEventStore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace {

// A file that takes this long (ms) to read gets a debug line.
constexpr qint64 slowRead = 100;

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
                FileSlices::read(file, bytes);
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

QString FolderEventStore::folderOf(const QString& identifier) const {
    if (identifier.isEmpty() || identifier.contains(QLatin1Char('/')) ||
        identifier.startsWith(QLatin1Char('.')))
        return {};
    const QString folder = m_folder + QLatin1Char('/') + identifier;
    return QFileInfo(folder).isDir() ? folder : QString();
}
