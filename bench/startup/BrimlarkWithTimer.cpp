#include "bench/startup/BrimlarkWithTimer.h"

#include "Brimlark/controls/TimerService.h"
#include "app/ApplicationStartup.h"
#include "bench/support/FirstFrame.h"

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

int runBrimlarkToFirstFrame(int argc, char** argv) {
    char* appArgv[] = {argc > 0 ? argv[0] : nullptr, nullptr};
    StartupHooks hooks;
    // The panel was shown during the start; it is painted once the event loop runs.
    hooks.launched = [] { qApp->installEventFilter(new FirstFrameReporter(qApp)); };
    return runBrimlark(1, appArgv, hooks);
}
