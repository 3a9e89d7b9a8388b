#include "bench/startup/BrimlarkWithTimer.h"

#include "Brimlark/controls/TimerService.h"
#include "app/ApplicationStartup.h"

#include <QCoreApplication>

#include <cstdio>

int runBrimlarkWithTimer(int argc, char** argv) {
    // The application sees only its own name, as when it is started by hand: the bench's mode
    // argument is dropped.
    char* appArgv[] = {argc > 0 ? argv[0] : nullptr, nullptr};
    StartupHooks hooks;
    // Once the application is up, the first turn of its event loop starts the countdown.
    hooks.launched = [] {
        QMetaObject::invokeMethod(
            qApp,
            [] {
                TimerService::shared().start(3600);
                std::fprintf(stdout, "timer started\n");
                std::fflush(stdout);
            },
            Qt::QueuedConnection);
    };
    return runBrimlark(1, appArgv, hooks);
}
