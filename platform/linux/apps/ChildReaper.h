#pragma once

#include <mutex>
#include <sys/types.h>
#include <thread>
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
    // At quit: ends the thread and waits for it. The children it still watches, and any handed
    // over meanwhile, are left to the system, which reaps them once this process has ended; a
    // later reap() starts the thread again.
    void stop();
    // Stops the one reaper, when it was ever made.
    static void stopShared();

private:
    ChildReaper() = default;
    void run();

    struct Watched {
        int fd;
        pid_t pid;
    };

    // Wakes the thread when a process is handed over (an eventfd).
    int m_wake = -1;
    std::thread m_thread;
    std::mutex m_mutex;
    // Handed over by reap(), taken by the thread at its next wake.
    std::vector<Watched> m_handed;
    bool m_stopping = false;
};
