#pragma once

#include <QString>

// The anchor of the timer phase: a QApplication whose 356 x 102 widget is repainted by a 500 ms
// QTimer, the least a program showing a running countdown does. Prints "ready" once its loop runs.
int runEmptyTimerProgram(int argc, char** argv);

// The timer phase: the CPU over 30 s of Brimlark with a one-hour timer running and the panel
// closed (the bench run in its timer mode), of the anchor above and of Brimlark idling without a
// timer, all side by side; once unpinned and once with every program pinned to CPU 0. With a
// DISPLAY (e.g. under xvfb-run -a) the programs use it, as on a desktop, where the pointer is not
// polled; without one they run offscreen, where it is (every 50 ms). Prints the
// figures with met/MISSED; returns 0 unless a program failed to start.
int runTimerPhase(const QString& brimlarkExecutable, const QString& benchExecutable);
