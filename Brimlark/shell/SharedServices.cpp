// The composition root: every process-wide instance is defined here, over the platform objects
// that the start-up (runBrimlark() in app/ApplicationStartup.cpp) installs in PlatformServices.
// Each is still built on first use, so the order below is the order the coordinator's first
// request builds them in; the features themselves never look the platform up.

#include "Brimlark/aihooks/AIHooksService.h"
#include "Brimlark/aihooks/install/AIHookAccessManager.h"
#include "Brimlark/aihooks/install/AIHookInstaller.h"
#include "Brimlark/apps/AppLauncherService.h"
#include "Brimlark/controls/CameraMirrorService.h"
#include "Brimlark/controls/FocusService.h"
#include "Brimlark/controls/MediaRemoteBridge.h"
#include "Brimlark/controls/MediaService.h"
#include "Brimlark/controls/MicMuteService.h"
#include "Brimlark/controls/ShortcutsRunner.h"
#include "Brimlark/controls/TimerService.h"
#include "Brimlark/core/AppState.h"
#include "Brimlark/core/AppSupportDirectory.h"
#include "Brimlark/core/PermissionsCoordinator.h"
#include "Brimlark/core/PlatformServices.h"
#include "Brimlark/organizer/NotesService.h"
#include "Brimlark/pages/PanelServices.h"
#include "Brimlark/quickactions/QuickActionsStore.h"
#include "Brimlark/shelf/FileShelfService.h"
#include "Brimlark/shell/AppCoordinator.h"
#include "Brimlark/shortcuts/ShortcutNames.h"
#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "platform/UserDefaults.h"

#include <QDir>

namespace {

// The desktop objects every shared instance below is built over. Asking before the start-up installed
// them aborts.
const PlatformServices& installed() {
    return PlatformServices::current();
}

} // namespace

AppState& AppState::shared() {
    static AppState* instance = new AppState(UserDefaults::standard());
    return *instance;
}

QuickActionsStore& QuickActionsStore::shared() {
    static QuickActionsStore* instance = new QuickActionsStore(*installed().defaults);
    return *instance;
}

NotesService& NotesService::shared() {
    static NotesService* instance =
        new NotesService(QDir(appSupportDirectory()).filePath(NotesService::fileName()), installed().clock);
    return *instance;
}

AppLauncherService& AppLauncherService::shared() {
    const PlatformServices& platform = installed();
    static AppLauncherService* instance = new AppLauncherService(*platform.defaults, *platform.bookmarks,
                                                                 *platform.workspace, *platform.filePicker);
    return *instance;
}

TimerService& TimerService::shared() {
    static TimerService* instance =
        new TimerService(AppState::shared(), installed().notifications, installed().clock);
    return *instance;
}

PermissionsCoordinator& PermissionsCoordinator::shared() {
    const PlatformServices& platform = installed();
    static PermissionsCoordinator* instance =
        new PermissionsCoordinator(*platform.eventStore, *platform.permissions, platform.notifications);
    return *instance;
}

MediaService& MediaService::shared() {
    static MediaRemoteBridge* bridge = new MediaRemoteBridge(installed().mediaPlayers);
    static MediaService* instance = new MediaService(*bridge, installed().clock);
    return *instance;
}

ShortcutsRunner& ShortcutsRunner::shared() {
    static ShortcutsRunner* instance = new ShortcutsRunner();
    return *instance;
}

MicMuteService& MicMuteService::shared() {
    const PlatformServices& platform = installed();
    static MicMuteService* instance = new MicMuteService(ShortcutsRunner::shared(), *platform.workspace,
                                                         *platform.permissions, *platform.audioInput);
    return *instance;
}

FocusService& FocusService::shared() {
    static FocusService* instance = new FocusService(*installed().defaults, ShortcutsRunner::shared());
    return *instance;
}

CameraMirrorService& CameraMirrorService::shared() {
    static CameraMirrorService* instance =
        new CameraMirrorService(*installed().defaults, installed().camera, installed().clock);
    return *instance;
}

FileShelfService& FileShelfService::shared() {
    const PlatformServices& platform = installed();
    static FileShelfService* instance =
        new FileShelfService(*platform.defaults, *platform.bookmarks, *platform.share, *platform.clock);
    return *instance;
}

// ---- AIHooksService ---------------------------------------------------------------------------

AIHooksService& AIHooksService::shared() {
    static AIHooksService* instance = [] {
        const PlatformServices& platform = PlatformServices::current();
        const QString home = AIHookAccessManager::realHomeDirectory();
        const QString support = appSupportDirectory();
        auto* service = new AIHooksService(AppState::shared(), support, platform.notifications,
                                           platform.workspace, platform.launcher, platform.clock,
                                           platform.loopbackListenerFactory, platform.fileWatchFactory);
        // Both live as long as the service, which lives as long as the process.
        static AIHookAccessManager access(home, platform.defaults, platform.bookmarks, platform.filePicker);
        static AIHookInstaller installer(home, support);
        service->setToolWiring(&access, &installer);
        return service;
    }();
    return *instance;
}

// ---- The panel's and the coordinator's view of the above --------------------------------------

PanelServices PanelServices::shared() {
    PanelServices services;
    services.appState = &AppState::shared();
    services.quickActions = &QuickActionsStore::shared();
    services.notes = &NotesService::shared();
    services.apps = &AppLauncherService::shared();
    services.timer = &TimerService::shared();
    services.permissions = &PermissionsCoordinator::shared();
    services.media = &MediaService::shared();
    services.mic = &MicMuteService::shared();
    services.focus = &FocusService::shared();
    services.mirror = &CameraMirrorService::shared();
    services.fileShelf = &FileShelfService::shared();
    services.aiHooks = &AIHooksService::shared();
    const PlatformServices& platform = installed();
    services.workspace = platform.workspace;
    services.accessibility = platform.accessibility;
    return services;
}

AppCoordinator::Platform AppCoordinator::Platform::shared() {
    const PlatformServices& platform = installed();
    Platform result;
    result.defaults = platform.defaults;
    result.clock = platform.clock;
    result.screens = platform.screens;
    result.globalInput = platform.globalInput;
    result.desktopWindows = platform.desktopWindows;
    result.registerShortcut = shortcutRegistrar(KeyboardShortcuts::registry());
    return result;
}
