#include "platform/linux/StartThrottle.h"

#include <QThread>

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// How often a waiting launch looks again.
constexpr unsigned long pollIntervalUs = 1000;

} // namespace

StartThrottle::StartThrottle(int room, int waitLimitMs, int forgetAfterMs)
    : m_room(room), m_waitLimitMs(waitLimitMs), m_forgetAfterMs(forgetAfterMs) {
    m_clock.start();
}

bool StartThrottle::waitForRoom() {
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        {
            const QMutexLocker lock(&m_mutex);
            const qint64 now = m_clock.elapsed();
            m_starts.removeIf([this, now](const Start& start) {
                return now - start.atMs >= m_forgetAfterMs || !isRunnable(start.pid);
            });
            if (m_starts.size() < m_room)
                return true;
        }
        if (waited.elapsed() >= m_waitLimitMs)
            return false;
        QThread::usleep(pollIntervalUs);
    }
}

void StartThrottle::started(qint64 pid) {
    const QMutexLocker lock(&m_mutex);
    m_starts.append({pid, m_clock.elapsed()});
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
