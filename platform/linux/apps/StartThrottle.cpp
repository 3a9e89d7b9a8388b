#include "platform/linux/apps/StartThrottle.h"

#include <QThread>

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// How often a waiting launch looks again.
constexpr unsigned long pollIntervalUs = 1000;

} // namespace

StartThrottle::StartThrottle(int room, int waitLimitMs, int forgetAfterMs)
    : m_room(room), m_waitLimitMs(waitLimitMs), m_forgetAfterMs(forgetAfterMs) {
    m_clock.start();
}

StartThrottle::~StartThrottle() {
    for (const Start& start : std::as_const(m_starts))
        if (start.fd >= 0)
            ::close(start.fd);
}

void StartThrottle::forget() {
    const qint64 now = m_clock.elapsed();
    m_starts.removeIf([this, now](const Start& start) {
        if (now - start.atMs < m_forgetAfterMs && isRunnable(start.pid))
            return false;
        if (start.fd >= 0)
            ::close(start.fd);
        return true;
    });
}

void StartThrottle::waitForAnEnd(unsigned long timeoutUs) {
    // Copies of the descriptors: another launch may forget a start, closing its own, meanwhile.
    QList<pollfd> ends;
    {
        const QMutexLocker lock(&m_mutex);
        for (const Start& start : std::as_const(m_starts))
            if (start.fd >= 0)
                ends.append({::fcntl(start.fd, F_DUPFD_CLOEXEC, 0), POLLIN, 0});
    }
    ends.removeIf([](const pollfd& end) { return end.fd < 0; });
    if (ends.isEmpty()) {
        QThread::usleep(timeoutUs);
        return;
    }
    ::poll(ends.data(), nfds_t(ends.size()), int((timeoutUs + 999) / 1000));
    for (const pollfd& end : std::as_const(ends))
        ::close(end.fd);
}

bool StartThrottle::waitForRoom() {
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        {
            const QMutexLocker lock(&m_mutex);
            forget();
            if (m_starts.size() < m_room)
                return true;
        }
        if (waited.elapsed() >= m_waitLimitMs)
            return false;
        // An application that exits (or execs a helper that does) wakes the wait at once; one
        // that keeps running is looked at again after the interval.
        waitForAnEnd(pollIntervalUs);
    }
}

void StartThrottle::started(qint64 pid) {
    const int fd = int(syscall(SYS_pidfd_open, pid_t(pid), 0));
    const QMutexLocker lock(&m_mutex);
    m_starts.append({pid, m_clock.elapsed(), fd});
}

bool StartThrottle::isRunnable(qint64 pid) {
    char path[40];
    std::snprintf(path, sizeof path, "/proc/%lld/stat", static_cast<long long>(pid));
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char text[512];
    const ssize_t size = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (size <= 0)
        return false;
    text[size] = '\0';
    // "pid (command) state ...": the command may hold spaces and parentheses, the state follows the
    // last ")".
    const char* close = std::strrchr(text, ')');
    return close && close[1] == ' ' && close[2] == 'R';
}
