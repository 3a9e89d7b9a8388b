#pragma once

#include <chrono>
#include <ctime>

// A deadline in the CPU time of the thread that made it: it comes nearer only while that thread
// works, not while it waits for a CPU that other programs keep busy. The same work therefore meets
// it or misses it alike on a busy machine and on a quiet one. It may be asked from any thread.
class CpuDeadline {
public:
    // One that never passes.
    CpuDeadline() = default;
    // Passes once the calling thread has worked for `budget` from now.
    explicit CpuDeadline(std::chrono::milliseconds budget);

    bool hasExpired() const;

private:
    // The thread's CPU clock, and the reading of it at which the deadline passes.
    clockid_t m_clock{};
    bool m_forever = true;
    std::chrono::nanoseconds m_end{};
};
