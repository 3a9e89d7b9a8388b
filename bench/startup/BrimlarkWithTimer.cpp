#include "bench/startup/BrimlarkWithTimer.h"

#include "Brimlark/controls/TimerService.h"
#include "Brimlark/core/Logging.h"
#include "Brimlark/core/PlatformServices.h"
#include "Brimlark/shell/BrimlarkApp.h"
#include "Brimlark/shell/BrimlarkAppDelegate.h"
#include "platform/AtomicWrite.h"
#include "platform/Clock.h"
#include "platform/UserDefaults.h"
#include "platform/linux/DBusNotifications.h"
#include "platform/linux/FolderEventStore.h"
#include "platform/linux/GlobalInputFactory.h"
#include "platform/linux/LinuxAccessibility.h"
#include "platform/linux/LinuxBookmarks.h"
#include "platform/linux/LinuxFilePicker.h"
#include "platform/linux/LinuxFileWatch.h"
#include "platform/linux/LinuxLoopbackListener.h"
#include "platform/linux/LinuxPermissions.h"
#include "platform/linux/LinuxProcessLauncher.h"
#include "platform/linux/LinuxQuitSignals.h"
#include "platform/linux/LinuxSingleInstance.h"
#include "platform/linux/LinuxWorkspace.h"
#include "platform/linux/PlatformSelection.h"
#include "platform/linux/QtScreens.h"
#include "platform/linux/X11DesktopWindows.h"

#include <QApplication>
#include <QLoggingCategory>

#include <atomic>
#include <cstdio>

namespace {

QtMessageHandler g_previousHandler = nullptr;
std::atomic<bool> g_timerRequested{false};

// Passes every message on and, at the first "Brimlark bootstrapped", asks the main loop to start
// the timer. Messages may come from any thread: this only posts.
void watchForBootstrap(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (g_previousHandler)
        g_previousHandler(type, context, message);
    if (message.contains(QLatin1String("Brimlark bootstrapped")) && !g_timerRequested.exchange(true)) {
        QMetaObject::invokeMethod(
            qApp,
            [] {
                TimerService::shared().start(3600);
                std::fprintf(stdout, "timer started\n");
                std::fflush(stdout);
            },
            Qt::QueuedConnection);
    }
}

} // namespace

int runBrimlarkWithTimer(int argc, char** argv) {
    g_previousHandler = qInstallMessageHandler(watchForBootstrap);
    // The application sees only its own name, as when it is started by hand: the bench's mode
    // argument is dropped.
    static int appArgc = 1;
    static char* appArgv[] = {argc > 0 ? argv[0] : nullptr, nullptr};

    // From here on as main.cpp.
    selectQtPlatformBeforeApp();
    if (const QByteArray problem = missingDisplayProblemHere(); !problem.isEmpty()) {
        std::fprintf(stderr, "%s\n", problem.constData());
        return 1;
    }
    QLoggingCategory::setFilterRules(QStringLiteral("com.brimlark.*.debug=false"));
    LinuxSingleInstance instance;
    if (instance.acquire() == SingleInstance::Outcome::alreadyRunning) {
        qCInfo(lcApp, "Brimlark is already running; this start exits");
        return 0;
    }
    QApplication app(appArgc, appArgv);
    QApplication::setApplicationName(QStringLiteral("Brimlark"));
    QApplication::setOrganizationDomain(QStringLiteral("brimlark.com"));
    LinuxQuitSignals quitSignals;
    QObject::connect(&quitSignals, &LinuxQuitSignals::received, &app, [](int) { QCoreApplication::quit(); });
    AtomicWrite::removeStaleCopies(UserDefaults::standardFilePath());

    QtScreens screens;
    std::unique_ptr<GlobalInput> globalInput = createGlobalInput();
    LinuxAccessibility accessibility;
    LinuxPermissions permissions;
    FolderEventStore eventStore;
    LinuxWorkspace workspace;
    DBusNotifications notifications;
    LinuxProcessLauncher launcher;
    LinuxBookmarks bookmarks;
    LinuxFilePicker filePicker;
    X11DesktopWindows desktopWindows;

    PlatformServices platform;
    platform.defaults = &UserDefaults::standard();
    platform.clock = Clock::system();
    platform.screens = &screens;
    platform.globalInput = globalInput.get();
    platform.accessibility = &accessibility;
    platform.permissions = &permissions;
    platform.eventStore = &eventStore;
    platform.workspace = &workspace;
    platform.desktopWindows = &desktopWindows;
    platform.notifications = &notifications;
    platform.launcher = &launcher;
    platform.bookmarks = &bookmarks;
    platform.filePicker = &filePicker;
    platform.loopbackListenerFactory = LinuxLoopbackListener::factory();
    platform.fileWatchFactory = LinuxFileWatch::factory();
    PlatformServices::install(platform);

    BrimlarkApp brimlark;
    brimlark.launch(QCoreApplication::arguments());
    return app.exec();
}
