#pragma once

#include <functional>

// What a caller of the start-up may add to it.
struct StartupHooks {
    // Runs once on the main thread when the application is up ("Brimlark bootstrapped" has been
    // logged), just before the event loop starts.
    std::function<void()> launched;
};

// Brimlark's start-up, as the executable runs it: the platform checks, the single-instance lock,
// the application object, the Linux platform objects installed for the shared services, the
// launch, then the event loop. Returns the program's exit status.
int runBrimlark(int argc, char** argv, const StartupHooks& hooks = {});
