#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QMutex>

// Paces the starts of applications when they outnumber the CPUs. A process just started is queued
// ahead of the threads already running, and a kernel that switches tasks only at its tick gives
// each one ahead of the main thread a tick or more: a burst of starts holds the main thread off its
// CPU for as many ticks as there are processes starting. So a launch first waits, for a short while
// at most, until fewer of the processes started lately are running or waiting for a CPU than
// `room`. Thread-safe.
class StartThrottle {
public:
    // `room`: how many of the processes started lately may be runnable when the next one starts;
    // `waitLimitMs`: the longest one launch waits; a process counts for `forgetAfterMs` after its
    // start at most.
    explicit StartThrottle(int room, int waitLimitMs = 40, int forgetAfterMs = 1000);
    ~StartThrottle();
    StartThrottle(const StartThrottle&) = delete;
    StartThrottle& operator=(const StartThrottle&) = delete;

    // Waits until fewer than `room` of the processes started lately are runnable: true then, false
    // when it stopped waiting at the limit.
    bool waitForRoom();
    // Counts the process `pid`, just started.
    void started(qint64 pid);

    // True while the process `pid` is running or waiting for a CPU (state "R" in /proc); false once
    // it sleeps, has ended or cannot be read.
    static bool isRunnable(qint64 pid);

private:
    struct Start {
        qint64 pid;
        qint64 atMs;
        // The process's pidfd, readable once it ends; -1 where the kernel gives none.
        int fd;
    };

    // Drops the starts that no longer count; with m_mutex held.
    void forget();
    // Waits up to `timeoutUs` for one of the counted processes to end.
    void waitForAnEnd(unsigned long timeoutUs);

    const int m_room;
    const int m_waitLimitMs;
    const int m_forgetAfterMs;
    QElapsedTimer m_clock;
    QMutex m_mutex;
    QList<Start> m_starts;
};
