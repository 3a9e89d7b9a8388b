#include "platform/linux/FolderEventStore.h"

#include "platform/ContextCallback.h"
#include "platform/PlatformLog.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

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

// What a change must alter before changed() is emitted: the status and every entry's name,
// size and modification time.
QString FolderEventStore::snapshot() const {
    const PermissionStatus status = currentStatus();
    QString result = QString::number(int(status));
    if (status != PermissionStatus::authorized)
        return result;
    const QFileInfoList entries =
        QDir(m_folder).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    for (const QFileInfo& entry : entries) {
        result += QLatin1Char('\n') + entry.fileName() + QLatin1Char('\t') + QString::number(entry.size()) +
                  QLatin1Char('\t') + QString::number(entry.lastModified().toMSecsSinceEpoch());
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
        paths.append(m_folder);
        const QFileInfoList files = QDir(m_folder).entryInfoList(QDir::Files | QDir::Hidden);
        for (const QFileInfo& file : files)
            paths.append(file.absoluteFilePath());
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
