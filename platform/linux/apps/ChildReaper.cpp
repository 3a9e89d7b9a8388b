#include "platform/linux/apps/ChildReaper.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

void waitInThread(pid_t pid) {
    std::thread([pid] {
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

// The one reaper, once shared() made it.
std::atomic<ChildReaper*> made{nullptr};

} // namespace

ChildReaper& ChildReaper::shared() {
    static ChildReaper* reaper = [] {
        auto* created = new ChildReaper;
        made.store(created);
        created->m_wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        return created;
    }();
    return *reaper;
}

void ChildReaper::reap(pid_t pid) {
    const int fd = m_wake < 0 ? -1 : int(syscall(SYS_pidfd_open, pid, 0));
    if (fd < 0) {
        waitInThread(pid);
        return;
    }
    {
        const std::lock_guard lock(m_mutex);
        if (m_stopping) {
            close(fd);
            return;
        }
        m_handed.push_back({fd, pid});
        if (!m_thread.joinable())
            m_thread = std::thread([this] { run(); });
    }
    const std::uint64_t one = 1;
    // The counter cannot overflow here; a failed write would only delay the reap to the next one.
    (void)!write(m_wake, &one, sizeof one);
}

void ChildReaper::stopShared() {
    if (ChildReaper* reaper = made.load())
        reaper->stop();
}

void ChildReaper::stop() {
    std::thread thread;
    {
        const std::lock_guard lock(m_mutex);
        if (m_stopping || !m_thread.joinable())
            return;
        m_stopping = true;
        thread = std::move(m_thread);
    }
    const std::uint64_t one = 1;
    (void)!write(m_wake, &one, sizeof one);
    thread.join();
    const std::lock_guard lock(m_mutex);
    m_stopping = false;
}

void ChildReaper::run() {
    std::vector<Watched> watched;
    std::vector<pollfd> fds;
    for (;;) {
        fds.assign(1, pollfd{m_wake, POLLIN, 0});
        for (const Watched& child : watched)
            fds.push_back({child.fd, POLLIN, 0});
        if (poll(fds.data(), fds.size(), -1) < 0)
            continue;
        if (fds[0].revents & POLLIN) {
            std::uint64_t count = 0;
            (void)!read(m_wake, &count, sizeof count);
            const std::lock_guard lock(m_mutex);
            watched.insert(watched.end(), m_handed.begin(), m_handed.end());
            m_handed.clear();
            if (m_stopping) {
                for (const Watched& child : watched)
                    close(child.fd);
                return;
            }
        }
        // A readable pidfd: its process has ended and waits to be reaped.
        for (std::size_t i = 1; i < fds.size(); ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const Watched child = watched[i - 1];
            // Through the pidfd, so a recycled process id can never be reaped in its place; a
            // kernel that can open pidfds but not wait on them (5.3) waits by the id.
            siginfo_t info{};
            int waited = 0;
            while ((waited = waitid(P_PIDFD, id_t(child.fd), &info, WEXITED)) < 0 && errno == EINTR) {
            }
            if (waited < 0 && errno == EINVAL) {
                while (waitpid(child.pid, nullptr, 0) < 0 && errno == EINTR) {
                }
            }
            close(child.fd);
            watched[i - 1].fd = -1;
        }
        watched.erase(
            std::remove_if(watched.begin(), watched.end(), [](const Watched& child) { return child.fd < 0; }),
            watched.end());
    }
}
