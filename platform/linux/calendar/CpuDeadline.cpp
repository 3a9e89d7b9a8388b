#include "platform/linux/calendar/CpuDeadline.h"

#include <pthread.h>

namespace {

std::chrono::nanoseconds read(clockid_t clock) {
    timespec now{};
    if (clock_gettime(clock, &now) != 0)
        return std::chrono::nanoseconds::zero();
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

} // namespace

CpuDeadline::CpuDeadline(std::chrono::milliseconds budget) {
    // Without a clock of its own for the thread (not on Linux), the process's CPU time: still work
    // done, not time gone by.
    if (pthread_getcpuclockid(pthread_self(), &m_clock) != 0)
        m_clock = CLOCK_PROCESS_CPUTIME_ID;
    m_forever = false;
    m_end = read(m_clock) + budget;
}

bool CpuDeadline::hasExpired() const {
    return !m_forever && read(m_clock) >= m_end;
}
