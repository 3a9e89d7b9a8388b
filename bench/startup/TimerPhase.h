#pragma once

#include <QString>

// The timer phase: the CPU over 30 s of Brimlark with a one-hour timer running and the panel
// closed (the bench run in its timer mode), of the anchor above and of Brimlark idling without a
// timer, all side by side (the anchor: bench_startup_anchor --empty-timer-program, a 356 x 102
// widget repainted by a 500 ms QTimer); once unpinned and once with every program pinned to CPU 0. With a
// DISPLAY (e.g. under xvfb-run -a) the programs use it, as on a desktop, where the pointer is not
// polled; without one they run offscreen, where it is (every 50 ms). Prints the
// figures with met/MISSED; returns 0 unless a program failed to start.
int runTimerPhase(const QString& brimlarkExecutable, const QString& benchExecutable,
                  const QString& anchorExecutable);
