#include "platform/linux/calendar/FolderEventStore.h"

#include "platform/ContextCallback.h"
#include "platform/PlatformLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <sys/stat.h>

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
