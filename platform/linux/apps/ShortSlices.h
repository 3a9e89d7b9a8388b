#pragma once

// Asks the kernel's fair scheduler to give the calling thread short time slices (Linux 6.12 and
// later read a fair thread's sched_attr "runtime" as the slice it asks for). A thread with a
// shorter slice than the one running takes the CPU when it wakes instead of waiting a tick or
// more behind it: a process just started runs a whole slice before the thread that started it
// gets the CPU back, so a burst of starts on a busy CPU holds the main thread off for a tick each.
// The thread's policy and nice value stay as they are, and the request is reset on fork: no thread
// or process the calling thread creates inherits the short slice. True when the kernel took the
// request; older kernels take it and ignore the slice. Never lowers the thread's priority.
bool askShortSlices(unsigned long sliceUs);
