#include "platform/linux/kernel/LinuxSingleInstance.h"

#include "platform/PlatformLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

SingleInstance::Outcome unavailable(const QString& path, const char* reason) {
    qCWarning(lcPlatform, "instance lock unavailable: %s: %s; starting without it", qUtf8Printable(path),
              reason);
    return SingleInstance::Outcome::unavailable;
}

} // namespace

LinuxSingleInstance::LinuxSingleInstance(QString lockPath) : m_path(std::move(lockPath)) {}

LinuxSingleInstance::~LinuxSingleInstance() {
    release();
}

QString LinuxSingleInstance::lockPath() const {
    return m_path;
}

SingleInstance::Outcome LinuxSingleInstance::acquire() {
    if (m_fd >= 0)
        return Outcome::acquired;
    const QString folder = QFileInfo(m_path).absolutePath();
    const bool existed = QFileInfo::exists(folder);
    if (!QDir().mkpath(folder)) {
        qCWarning(lcPlatform, "instance lock unavailable: cannot create %s; starting without it",
                  qUtf8Printable(folder));
        return Outcome::unavailable;
    }
    // A runtime folder is private to its user; one made here is made so too.
    if (!existed)
        QFile::setPermissions(folder,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QByteArray path = QFile::encodeName(m_path);
    // A holder that gives up removes the file; one who opened it just before holds a lock on a
    // file nobody else finds any more, so the lock counts only on the file the path names now.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0)
            return unavailable(m_path, std::strerror(errno));
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            if (error == EWOULDBLOCK)
                return Outcome::alreadyRunning;
            return unavailable(m_path, std::strerror(error));
        }
        struct stat held {};
        struct stat named {};
        if (::fstat(fd, &held) == 0 && ::stat(path.constData(), &named) == 0 && held.st_dev == named.st_dev &&
            held.st_ino == named.st_ino) {
            const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
            if (::ftruncate(fd, 0) != 0 || ::write(fd, pid.constData(), size_t(pid.size())) != pid.size())
                qCDebug(lcPlatform, "instance lock: could not note the process id in %s", path.constData());
            m_fd = fd;
            return Outcome::acquired;
        }
        ::close(fd);
    }
    return unavailable(m_path, "the lock file keeps being replaced");
}

void LinuxSingleInstance::release() {
    if (m_fd < 0)
        return;
    // Removed while still locked, so that no one takes the lock on a file that is on its way out.
    ::unlink(QFile::encodeName(m_path).constData());
    ::close(m_fd);
    m_fd = -1;
}
