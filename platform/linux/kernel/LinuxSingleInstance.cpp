#include "platform/linux/kernel/LinuxSingleInstance.h"

#include "platform/PlatformLog.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

SingleInstance::Outcome unavailable(const QString& path, const char* reason) {
    qCWarning(lcPlatform, "instance lock unavailable: %s: %s; starting without it", qUtf8Printable(path),
              reason);
    return SingleInstance::Outcome::unavailable;
}

// The one line the holder answers with once it has shown itself.
constexpr char shownReply[] = "shown\n";

// `path` as a Unix socket address; false when it does not fit.
bool socketAddress(const QString& path, sockaddr_un* address) {
    const QByteArray bytes = QFile::encodeName(path);
    *address = {};
    address->sun_family = AF_UNIX;
    if (bytes.size() >= qsizetype(sizeof(address->sun_path)))
        return false;
    std::memcpy(address->sun_path, bytes.constData(), size_t(bytes.size()));
    return true;
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
            listenForShow();
            return Outcome::acquired;
        }
        ::close(fd);
    }
    return unavailable(m_path, "the lock file keeps being replaced");
}

void LinuxSingleInstance::release() {
    if (m_fd < 0)
        return;
    m_notifier.reset();
    if (m_listenFd >= 0) {
        ::unlink(QFile::encodeName(socketPathFor(m_path)).constData());
        ::close(m_listenFd);
        m_listenFd = -1;
    }
    // Removed while still locked, so that no one takes the lock on a file that is on its way out.
    ::unlink(QFile::encodeName(m_path).constData());
    ::close(m_fd);
    m_fd = -1;
}

QString LinuxSingleInstance::socketPathFor(const QString& lockPath) {
    const QString suffix = QStringLiteral(".lock");
    return (lockPath.endsWith(suffix) ? lockPath.chopped(suffix.size()) : lockPath) +
           QStringLiteral(".socket");
}

void LinuxSingleInstance::listenForShow() {
    // Listening from the moment the lock is held: a start that asks while this one is still
    // starting waits in the backlog until the event loop answers it.
    const QString path = socketPathFor(m_path);
    sockaddr_un address{};
    if (!socketAddress(path, &address)) {
        qCWarning(lcPlatform, "a later start cannot ask this one to show itself: %s is too long",
                  qUtf8Printable(path));
        return;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        qCWarning(lcPlatform, "a later start cannot ask this one to show itself: %s", std::strerror(errno));
        return;
    }
    // Whoever listened there before held the lock before us and is gone.
    ::unlink(address.sun_path);
    const mode_t mask = ::umask(0077);
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    ::umask(mask);
    if (!bound || ::listen(fd, 8) != 0) {
        qCWarning(lcPlatform, "a later start cannot ask this one to show itself: %s: %s",
                  qUtf8Printable(path), std::strerror(errno));
        ::close(fd);
        return;
    }
    m_listenFd = fd;
}

void LinuxSingleInstance::onShowAsked(std::function<void()> show) {
    m_show = std::move(show);
    if (m_listenFd < 0 || m_notifier)
        return;
    m_notifier = std::make_unique<QSocketNotifier>(m_listenFd, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                     [this] { answerShowRequests(); });
}

void LinuxSingleInstance::answerShowRequests() {
    for (;;) {
        const int client = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (client < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (m_show)
            m_show();
        // The asking start only waits for this line; if it has gone, nothing is lost.
        if (::send(client, shownReply, sizeof(shownReply) - 1, MSG_NOSIGNAL) < 0)
            qCDebug(lcPlatform, "a later start left before its answer");
        ::close(client);
    }
}

bool LinuxSingleInstance::askHolderToShow() {
    const QString path = socketPathFor(m_path);
    sockaddr_un address{};
    if (!socketAddress(path, &address))
        return false;
    // The holder listens a moment after it takes the lock; one that just started gets that moment.
    const QDeadlineTimer deadline(3000);
    int fd = -1;
    for (;;) {
        fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            break;
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0)
            break;
        const int error = errno;
        ::close(fd);
        fd = -1;
        if ((error != ENOENT && error != ECONNREFUSED) || deadline.hasExpired())
            break;
        QThread::msleep(50);
    }
    if (fd < 0) {
        qCWarning(lcPlatform, "the running copy takes no requests at %s", qUtf8Printable(path));
        return false;
    }
    // It answers from its event loop, which a start under way reaches within seconds.
    char reply[sizeof(shownReply)] = {};
    qsizetype got = 0;
    while (got < qsizetype(sizeof(shownReply) - 1) && !deadline.hasExpired()) {
        pollfd waiting{fd, POLLIN, 0};
        const int ready = ::poll(&waiting, 1, int(qMax<qint64>(1, deadline.remainingTime())));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        const ssize_t n = ::recv(fd, reply + got, sizeof(shownReply) - 1 - size_t(got), 0);
        if (n <= 0)
            break;
        got += n;
    }
    ::close(fd);
    const bool shown = got == qsizetype(sizeof(shownReply) - 1) &&
                       std::memcmp(reply, shownReply, sizeof(shownReply) - 1) == 0;
    if (!shown)
        qCWarning(lcPlatform, "the running copy did not answer the request to show itself");
    return shown;
}
