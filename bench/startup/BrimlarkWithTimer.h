#pragma once

// The application's own start-up (ApplicationStartup.h), which also starts a one-hour countdown
// through the shared timer service once the application is up, and then prints "timer started".
// Runs the event loop and returns its exit status.
int runBrimlarkWithTimer(int argc, char** argv);

// The application's own start-up, telling its first frame ("first frame", FirstFrame.h).
int runBrimlarkToFirstFrame(int argc, char** argv);
