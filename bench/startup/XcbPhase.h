#pragma once

#include <QString>

// The xcb phase: Brimlark and the empty program (one 200 x 32 window) started as a user starts
// them, on an X server of their own (Xvfb at 1920 x 1080, no window manager) and with a session
// bus of their own when dbus-daemon is installed, each timed from its start to its first frame on
// the server; the median of `runs` starts each, the two programs alternating. Once unpinned and once
// with the programs, the server and the bus on CPU 0. Prints the figures with met/MISSED against
// the start-up target (1.5 x the empty program); returns 0 unless the server or a program failed
// to start.
int runXcbPhase(const QString& benchExecutable, const QString& anchorExecutable, int runs);
