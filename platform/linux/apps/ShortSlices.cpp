#include "platform/linux/apps/ShortSlices.h"

#include <cstdint>
#include <sched.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// The kernel's struct sched_attr (include/uapi/linux/sched/types.h); glibc declares it only from
// 2.41.
struct SchedAttr {
    std::uint32_t size;
    std::uint32_t policy;
    std::uint64_t flags;
    std::int32_t nice;
    std::uint32_t priority;
    std::uint64_t runtime;
    std::uint64_t deadline;
    std::uint64_t period;
};

constexpr std::uint64_t resetOnFork = 0x01; // SCHED_FLAG_RESET_ON_FORK

} // namespace

bool askShortSlices(unsigned long sliceUs) {
    SchedAttr attr{};
    if (syscall(SYS_sched_getattr, 0, &attr, sizeof attr, 0) != 0)
        return false;
    // Only a normal thread: a real-time or idle one keeps its policy untouched.
    if (attr.policy != SCHED_OTHER)
        return false;
    // The nice value read back is passed back unchanged, so the call never raises or lowers it.
    attr.size = sizeof attr;
    attr.flags |= resetOnFork;
    attr.runtime = std::uint64_t(sliceUs) * 1000;
    return syscall(SYS_sched_setattr, 0, &attr, 0) == 0;
}
