#include "SingleInstance.h"

#include "PlatformLog.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

SingleInstance::SingleInstance(QString lockPath) : m_path(std::move(lockPath)), m_lock(m_path) {}

SingleInstance::~SingleInstance() {
    release();
}

QString SingleInstance::standardLockPath() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime))
        return QDir(runtime).filePath(QStringLiteral("com.brimlark.app.lock"));
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/com.brimlark.app/instance.lock");
}

QString SingleInstance::lockPath() const {
    return m_path;
}

SingleInstance::Outcome SingleInstance::acquire() {
    if (m_lock.isLocked())
        return Outcome::acquired;
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!QDir().mkpath(folder)) {
        qCWarning(lcPlatform, "instance lock unavailable: cannot create %s; starting without it",
                  qUtf8Printable(folder));
        return Outcome::unavailable;
    }
    // What is stale is QLockFile's own judgement: a lock whose process is gone is taken over at
    // once, one whose content cannot be read (a start cut off right after creating it) once it is
    // older than the stale time. A live holder keeps its lock however old it is: it also holds an
    // flock on the file, which taking the lock over needs.
    if (m_lock.tryLock(0))
        return Outcome::acquired;
    if (m_lock.error() == QLockFile::LockFailedError)
        return Outcome::alreadyRunning;
    const char* reason = m_lock.error() == QLockFile::PermissionError ? "permission denied" : "unknown error";
    qCWarning(lcPlatform, "instance lock unavailable: %s: %s; starting without it", qUtf8Printable(m_path),
              reason);
    return Outcome::unavailable;
}

void SingleInstance::release() {
    if (m_lock.isLocked())
        m_lock.unlock();
}
