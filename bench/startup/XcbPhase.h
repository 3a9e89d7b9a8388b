#pragma once

#include <QString>

// The xcb phase: Brimlark and the empty program (one 200 x 32 window) started as a user starts
// them, on an X server of their own (Xvfb at 1920 x 1080, no window manager) and with a session
// bus of their own when dbus-daemon is installed, each timed from its start to its first frame on
// the server; the median of `runs` starts each, the programs alternating with a pause between two
// starts (the server resets itself when its last client leaves). Brimlark starts once with no notes
// and once with a file of 10,000. Once unpinned and once with the programs, the server and the bus
// on CPU 0. Prints the figures with met/MISSED against the start-up targets (1.5 x the empty
// program; with the notes, 1.3 x without); returns 0 unless the server or a program failed to
// start.
int runXcbPhase(const QString& benchExecutable, const QString& anchorExecutable, int runs);
