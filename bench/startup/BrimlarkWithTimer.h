#pragma once

// The bench's own copy of the application's start, as main.cpp does it, which also starts a
// one-hour countdown through the shared timer service once the application logs that it is up,
// and then prints "timer started". Runs the event loop and returns its exit status.
int runBrimlarkWithTimer(int argc, char** argv);
