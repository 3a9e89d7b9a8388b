#include "app/ApplicationStartup.h"

#include "Brimlark/core/Logging.h"
#include "Brimlark/core/PlatformServices.h"
#include "Brimlark/shell/BrimlarkApp.h"
#include "Brimlark/shell/BrimlarkAppDelegate.h"
#include "KeyboardShortcuts/CarbonKeyboardShortcuts.h"
#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "launch_at_login/LaunchAtLogin.h"
#include "platform/AtomicWrite.h"
#include "platform/Clock.h"
#include "platform/ContextCallback.h"
#include "platform/UserDefaults.h"
#include "platform/linux/apps/LinuxProcessLauncher.h"
#include "platform/linux/calendar/FolderEventStore.h"
#include "platform/linux/dbus/DBusNotifications.h"
#include "platform/linux/dbus/MprisMediaPlayers.h"
#include "platform/linux/desktop/LinuxAccessibility.h"
#include "platform/linux/desktop/LinuxBookmarks.h"
#include "platform/linux/desktop/LinuxFilePicker.h"
#include "platform/linux/desktop/LinuxPermissions.h"
#include "platform/linux/desktop/LinuxShare.h"
#include "platform/linux/desktop/LinuxWorkspace.h"
#include "platform/linux/desktop/QtScreens.h"
#include "platform/linux/kernel/LinuxFileWatch.h"
#include "platform/linux/kernel/LinuxLoopbackListener.h"
#include "platform/linux/kernel/LinuxQuitSignals.h"
#include "platform/linux/kernel/LinuxSingleInstance.h"
#include "platform/linux/media/LinuxAudioInput.h"
#include "platform/linux/media/QtCamera.h"
#include "platform/linux/x11/GlobalInputFactory.h"
#include "platform/linux/x11/HotKeysFactory.h"
#include "platform/linux/x11/PlatformSelection.h"
#include "platform/linux/x11/X11DesktopWindows.h"
#include "platform/linux/x11/XkbKeyboardLayout.h"

#include <QApplication>
#include <QLoggingCategory>

#include <cstdio>
#include <cstring>
#include <optional>

int runBrimlark(int argc, char** argv, const StartupHooks& hooks) {
    // Before the application object: on Wayland the panel needs X11 to place itself.
    selectQtPlatformBeforeApp();
    // Qt aborts without a display; one clear line and status 1 instead, before any lock is taken.
    if (const QByteArray problem = missingDisplayProblemHere(); !problem.isEmpty()) {
        std::fprintf(stderr, "%s\n", problem.constData());
        return 1;
    }
    // Debug lines stay quiet unless QT_LOGGING_RULES asks for them.
    QLoggingCategory::setFilterRules(QStringLiteral("com.brimlark.*.debug=false"));
    // One copy per user, held until the program ends: a second start (by hand, beside the one
    // started at login) asks the running one to show itself and leaves before it builds anything.
    // A lock that cannot be made is logged and the start goes on.
    LinuxSingleInstance instance;
    if (instance.acquire() == SingleInstance::Outcome::alreadyRunning) {
        const bool shown = instance.askHolderToShow();
        qCInfo(lcApp, "Brimlark is already running; %s; this start exits",
               shown ? "it shows itself" : "it did not answer");
        releaseDisplayProbe();
        return 0;
    }
    QApplication app(argc, argv);
    releaseDisplayProbe();
    QApplication::setApplicationName(QStringLiteral("Brimlark"));
    QApplication::setOrganizationDomain(QStringLiteral("brimlark.com"));
    // Logout, a service manager's stop and a closed terminal end the program through its quit
    // path, so that it stops its services and leaves its files whole.
    LinuxQuitSignals quitSignals;
    QObject::connect(&quitSignals, &LinuxQuitSignals::received, &app, [](int signalNumber) {
        qCInfo(lcApp, "SIG%s received; quitting", sigabbrev_np(signalNumber));
        // exit(), not quit(): quit() first asks every window to close, and the panel refuses that.
        QCoreApplication::exit(0);
    });
    // The autostart entry is opened only when launch at login is switched: what a write killed
    // midway left beside it goes at start, as the other files' copies go when their stores open.
    AtomicWrite::removeStaleCopies(LaunchAtLogin::entryPath());

    QtScreens screens;
    std::unique_ptr<GlobalInput> globalInput = createGlobalInput();
    LinuxAccessibility accessibility;
    FolderEventStore eventStore;
    LinuxPermissions permissions(eventStore.folder());
    LinuxWorkspace workspace;
    DBusNotifications notifications;
    LinuxProcessLauncher launcher;
    LinuxBookmarks bookmarks;
    LinuxShare share(launcher);
    LinuxFilePicker filePicker;
    X11DesktopWindows desktopWindows;
    MprisMediaPlayers mediaPlayers;
    // Opens nothing until the first mute.
    LinuxAudioInput audioInput;
    QtCamera camera;

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
    platform.camera = &camera;
    platform.notifications = &notifications;
    platform.launcher = &launcher;
    platform.bookmarks = &bookmarks;
    platform.share = &share;
    platform.filePicker = &filePicker;
    platform.mediaPlayers = &mediaPlayers;
    platform.audioInput = &audioInput;
    platform.loopbackListenerFactory = LinuxLoopbackListener::factory();
    platform.fileWatchFactory = LinuxFileWatch::factory();
    PlatformServices::install(platform);
    // The keymap is read at the first shortcut text, not here.
    XkbKeyboardLayout keyboardLayout;
    // Without hot keys (not on X11) every registration fails as unavailable, and says so.
    const std::unique_ptr<HotKeys> hotKeys = createHotKeys();
    KeyboardShortcuts::CarbonKeyboardShortcuts hotKeyRegistry(hotKeys.get());
    KeyboardShortcuts::install(&UserDefaults::standard(), &keyboardLayout, &hotKeyRegistry);

    // The settings stored while the application is built and launched (the default shortcuts, the
    // first time) are written once; the coordinator's start writes them before it tells it is done.
    std::optional<UserDefaults::Batch> startWrites(std::in_place, UserDefaults::standard());
    BrimlarkApp brimlark;
    BrimlarkAppDelegate& delegate = brimlark.appDelegate();
    instance.onShowAsked(
        ContextCallback<void()>(&delegate, [&delegate] { delegate.applicationShouldHandleReopen(); }));
    brimlark.launch(QCoreApplication::arguments());
    startWrites.reset();
    if (hooks.launched)
        hooks.launched();
    // The end of the event loop runs the quit path (aboutToQuit), which stops the hook endpoint and
    // joins its threads first. The objects above then go in reverse order, each joining the threads
    // it started (the launches and the reaper, the calendar reader and its workers), and the
    // application object waits for Qt's global pool: no thread of the program runs once this
    // returns, before any static object is destroyed.
    const int status = app.exec();
    return status;
}
