#pragma once

#include <csignal>
#include <sys/resource.h>

namespace brimlark::test {

// Lowers this process's file-size limit (RLIMIT_FSIZE) for as long as it lives, so writes past
// `bytes` fail with "File too large", the way they would on a full disk, without filling one.
// SIGXFSZ is ignored meanwhile, so such a write fails instead of ending the process. Keep the
// scope small: the test's own log output to a file is limited as well.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit lowered = m_old;
        lowered.rlim_cur = bytes;
        m_active = ::setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    // False when the limit could not be lowered; the test cannot run then.
    bool isActive() const { return m_active; }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = SIG_DFL;
    bool m_active = false;
};

} // namespace brimlark::test
