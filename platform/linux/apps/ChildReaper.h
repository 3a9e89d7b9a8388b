#pragma once

#include <mutex>
#include <sys/types.h>
#include <vector>

// Reaps the processes this one started and does not wait for, all on one thread: it watches a
// descriptor per process (pidfd) and collects each as it ends, so a burst of launches neither
// leaves zombies nor starts a thread per process. Where the kernel has no pidfds (before 5.3) a
// process gets a short-lived thread of its own that waits for it. Thread-safe.
class ChildReaper {
public:
    // The one reaper of this process; its thread starts with the first process handed to it.
    static ChildReaper& shared();

    // Reaps `pid`, a child of this process, when it ends.
    void reap(pid_t pid);

private:
    ChildReaper() = default;
    void run();

    struct Watched {
        int fd;
        pid_t pid;
    };

    // Wakes the thread when a process is handed over (an eventfd).
    int m_wake = -1;
    std::mutex m_mutex;
    // Handed over by reap(), taken by the thread at its next wake.
    std::vector<Watched> m_handed;
};
