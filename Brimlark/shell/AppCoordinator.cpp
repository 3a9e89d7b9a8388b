#include "Brimlark/shell/AppCoordinator.h"

#include "Brimlark/aihooks/AIHooksService.h"
#include "Brimlark/apps/AppLauncherService.h"
#include "Brimlark/controls/CameraMirrorService.h"
#include "Brimlark/controls/FocusService.h"
#include "Brimlark/controls/MediaService.h"
#include "Brimlark/controls/MicMuteService.h"
#include "Brimlark/controls/MirrorWindowManager.h"
#include "Brimlark/controls/TimerService.h"
#include "Brimlark/core/AdvancedPage.h"
#include "Brimlark/core/AppState.h"
#include "Brimlark/core/EnumText.h"
#include "Brimlark/core/Logging.h"
#include "Brimlark/core/PermissionsCoordinator.h"
#include "Brimlark/organizer/CalendarService.h"
#include "Brimlark/organizer/NotesService.h"
#include "Brimlark/organizer/RemindersService.h"
#include "Brimlark/quickactions/QuickActionsStore.h"
#include "Brimlark/settings/SettingsScene.h"
#include "Brimlark/settings/onboarding/OnboardingView.h"
#include "Brimlark/shelf/FileShelfService.h"
#include "Brimlark/shell/GestureManager.h"
#include "Brimlark/shell/NotchWindowManager.h"
#include "Brimlark/shell/OnboardingWindow.h"
#include "Brimlark/shell/SettingsOverlayWindow.h"
#include "Brimlark/surface/CompactHiddenStatusView.h"
#include "Brimlark/surface/CompactLiveStatusStore.h"
#include "Brimlark/surface/HaloController.h"
#include "Brimlark/surface/NotchHalo.h"
#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "platform/ContextCallback.h"
#include "platform/DesktopWindows.h"
#include "platform/Screens.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QVBoxLayout>

#include <memory>
#include <optional>
#include <utility>

const QString AppCoordinator::settingsWindowIdentifier = QStringLiteral("BrimlarkSettingsWindow");
const QString AppCoordinator::toggleDNDShortcutName = QStringLiteral("Brimlark.ToggleDND");

AppCoordinator::AppCoordinator() : AppCoordinator(PanelServices::shared(), Platform::shared()) {}

AppCoordinator::AppCoordinator(const PanelServices& services, Platform platform, QObject* parent)
    : QObject(parent), m_services(services), m_platform(std::move(platform)),
      m_interactionEngine(new InteractionEngine(*m_services.appState, m_platform.clock, this)),
      m_halo(new HaloController(*m_services.appState, *m_services.media, *m_services.aiHooks,
                                *m_interactionEngine, m_platform.clock, this)),
      m_settingsAction(new QAction(QStringLiteral("Settings…"), this)),
      m_quitAction(new QAction(QStringLiteral("Quit Brimlark"), this)) {
    m_settingsAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    connect(m_settingsAction, &QAction::triggered, this, [this] { openSettings(); });
    m_quitAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    // exit(), not quit(): quit() first asks every window to close, and the panel refuses that.
    connect(m_quitAction, &QAction::triggered, this, [] { QCoreApplication::exit(0); });
}

AppCoordinator::~AppCoordinator() {
    stop();
    delete m_settingsWindow.data();
    delete m_onboardingWindow.data();
}

CalendarService& AppCoordinator::calendar() {
    if (!m_services.calendar)
        m_services.calendar =
            new CalendarService(*m_services.permissions, m_services.workspace, m_platform.clock, this);
    return *m_services.calendar;
}

RemindersService& AppCoordinator::reminders() {
    if (!m_services.reminders)
        m_services.reminders = new RemindersService(*m_services.permissions, this);
    return *m_services.reminders;
}

CompactLiveStatusStore* AppCoordinator::compactStatus() const {
    return m_compactStatus;
}

NotchWindowManager* AppCoordinator::notchWindowManager() const {
    return m_notchWindowManager;
}

GestureManager* AppCoordinator::gestureManager() const {
    return m_gestureManager;
}

MirrorWindowManager* AppCoordinator::mirrorWindows() const {
    return m_mirrorWindows;
}

QWidget* AppCoordinator::onboardingWindow() const {
    return m_onboardingWindow;
}

QWidget* AppCoordinator::settingsWindow() const {
    return m_settingsWindow;
}

namespace {

// The panel's views may outlive the store by a turn of the event loop at shut-down.
decltype(NotchRootView::Inputs::makeCompactStatusView)
compactStatusViews(QPointer<CompactLiveStatusStore> weakStatus, AIHooksService* hooks, Clock* clock) {
    return [weakStatus, hooks, clock](QWidget* parent, bool notched, const QSizeF& notch) -> QWidget* {
        CompactLiveStatusStore* store = weakStatus.data();
        if (!store || !store->current())
            return nullptr;
        auto* view = new CompactHiddenStatusView(*store->current(), hooks, notched, notch, clock, parent);
        // A different status builds a new view; the same one, published again each second, only
        // moves its time-dependent texts on.
        QObject::connect(store, &CompactLiveStatusStore::currentChanged, view,
                         [view](const std::optional<CompactLiveStatus>& status) {
                             if (status == view->status())
                                 view->refreshContent();
                         });
        return view;
    };
}

decltype(NotchRootView::Inputs::makeHaloView) haloViews(HaloController* halo, Accessibility* accessibility) {
    return [halo, accessibility](QWidget* parent, std::function<bool()> notched) -> NotchHalo* {
        auto* view = new NotchHalo(accessibility, std::move(notched), parent);
        view->setActive(halo->current());
        view->setAmbientPhase(halo->ambientPhase());
        QObject::connect(halo, &HaloController::currentChanged, view, &NotchHalo::setActive);
        QObject::connect(halo, &HaloController::ambientPhaseChanged, view, &NotchHalo::setAmbientPhase);
        return view;
    };
}

} // namespace

void AppCoordinator::later(std::function<void()> call) {
    QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}

void AppCoordinator::afterFirstFrame(std::function<void()> call) {
    NotchPanel* panel = m_notchWindowManager ? m_notchWindowManager->panel() : nullptr;
    if (!panel || !panel->isVisible() || panel->hasDrawnFrame()) {
        later(std::move(call));
        return;
    }
    // Whichever comes first; the other finds the call spent.
    auto pending = std::make_shared<std::function<void()>>(std::move(call));
    auto run = [pending] {
        if (*pending)
            std::exchange(*pending, {})();
    };
    connect(panel, &NotchPanel::firstFrameDrawn, this, run, Qt::SingleShotConnection);
    QTimer::singleShot(1000, this, run);
}

void AppCoordinator::mediaCommand(TransportCommand command) {
    MediaService& media = *m_services.media;
    std::optional<MediaRemoteBridge::SourceApp> source;
    if (media.nowPlaying())
        source = media.nowPlaying()->source;
    (media.bridge().*command)(source);
    media.refresh();
}

// The callbacks handed to the panel's views and the onboarding window are tied to the coordinator:
// those go on a later turn of the event loop than it does at shut-down.
std::function<void()> AppCoordinator::weakMediaCommand(TransportCommand command) {
    return ContextCallback<void()>(this, [this, command] { mediaCommand(command); });
}

void AppCoordinator::start() {
    {
        // What the start stores (the default shortcuts, on the first start) is written in one
        // write; a start that stores nothing new writes nothing.
        std::optional<UserDefaults::Batch> oneWrite;
        if (m_platform.defaults)
            oneWrite.emplace(*m_platform.defaults);
        // Built now for the live status and the pages, which find them in the services; filled by
        // the first refresh below.
        calendar();
        reminders();
        qCDebug(lcApp, "start: calendar and reminders ready");
        startNotchPanel(startLiveStatus());
        startShortcuts();
        startGestures();
        startMirrorWindows();
        subscribeActiveKinds();
        qCDebug(lcApp, "start: observers subscribed");
        startHookServices();
        bindGlow();
    }
    // Reading the calendar files and asking the players over D-Bus wait until the closed panel has
    // drawn its first frame; the live status takes the next event and the track
    // as the changes they are, so a calendar alert or a playing track still shows at once.
    afterFirstFrame([this] {
        calendar().refresh();
        m_services.media->refresh();
        qCDebug(lcApp, "start: calendar and media refreshed");
    });
    // Written before the start is told done, also when the program's start-up holds the writes
    // in a batch of its own around this one.
    if (m_platform.defaults)
        m_platform.defaults->flush();
    qCInfo(lcApp, "Brimlark bootstrapped");
}

CompactLiveStatusStore* AppCoordinator::startLiveStatus() {
    // The live status holds a value before the panel is first drawn.
    auto* compactStatus = new CompactLiveStatusStore(*m_services.aiHooks, *m_services.timer, calendar(),
                                                     *m_services.media, m_platform.clock, this);
    compactStatus->start();
    compactStatus->recompute();
    m_compactStatus = compactStatus;
    qCDebug(lcApp, "start: live status started");
    return compactStatus;
}

NotchRootView::Inputs AppCoordinator::rootViewInputs(CompactLiveStatusStore* compactStatus) {
    NotchRootView::Inputs inputs;
    inputs.interactionEngine = m_interactionEngine;
    inputs.compactStatus = compactStatus;
    QPointer<CompactLiveStatusStore> weakStatus(compactStatus);
    inputs.hasCompactStatus = [weakStatus] { return weakStatus && weakStatus->current().has_value(); };
    inputs.makeCompactStatusView = compactStatusViews(weakStatus, m_services.aiHooks, m_platform.clock);
    inputs.makeHaloView = haloViews(m_halo, m_services.accessibility);
    inputs.onQuickAction = ContextCallback<void(QuickAction::Kind)>(
        this, [this](QuickAction::Kind kind) { handleQuickAction(kind); });
    inputs.onOpenSettings = ContextCallback<void()>(this, [this] { openSettings(); });
    inputs.onMediaPlayPause = weakMediaCommand(&MediaRemoteBridge::playPause);
    inputs.onMediaNext = weakMediaCommand(&MediaRemoteBridge::nextTrack);
    inputs.onMediaPrev = weakMediaCommand(&MediaRemoteBridge::previousTrack);
    return inputs;
}

void AppCoordinator::startNotchPanel(CompactLiveStatusStore* compactStatus) {
    m_notchWindowManager =
        new NotchWindowManager(m_services, rootViewInputs(compactStatus), *m_platform.screens,
                               *m_platform.globalInput, m_platform.desktopWindows, this);
    // The window manager keeps the store from here on; it goes when the manager does.
    compactStatus->setParent(m_notchWindowManager);
    m_notchWindowManager->setup();
    offerAppKeys(m_notchWindowManager->panel());
    qCDebug(lcApp, "start: notch panel set up");
}

KeyboardShortcutManager::FeatureHandlers AppCoordinator::shortcutHandlers() {
    // The shortcut manager is the coordinator's child and runs these only while it exists. Actions
    // that start processes or ask for permissions wait for a later turn of the event loop, so the
    // key press that asked for them returns at once.
    KeyboardShortcutManager::FeatureHandlers handlers;
    handlers.playPause = weakMediaCommand(&MediaRemoteBridge::playPause);
    handlers.nextTrack = weakMediaCommand(&MediaRemoteBridge::nextTrack);
    handlers.prevTrack = weakMediaCommand(&MediaRemoteBridge::previousTrack);
    handlers.muteMic = [this] { later([this] { mic().toggle(); }); };
    handlers.cycleFocus = [this] { later([this] { focus().cycleFocus(); }); };
    handlers.toggleDND = [this] { later([this] { toggleDND(); }); };
    handlers.startTimer = [this](double seconds) { timer().start(seconds); };
    handlers.openNotes = [this] {
        m_interactionEngine->setLastOpenTrigger(InteractionEngine::InteractionTrigger::gesture);
        m_interactionEngine->setMode(InteractionEngine::Mode::advanced(0));
    };
    handlers.openMirror = [this] { later([this] { mirror().toggle(permissions()); }); };
    handlers.launchAppBatch = [this] { later([this] { apps().launchAll(); }); };
    return handlers;
}

void AppCoordinator::startShortcuts() {
    m_keyboardShortcutManager = new KeyboardShortcutManager(
        *m_interactionEngine, *m_services.appState, shortcutHandlers(), m_platform.registerShortcut, this);
    m_keyboardShortcutManager->start();
    qCDebug(lcApp, "start: shortcuts started");
}

void AppCoordinator::startGestures() {
    m_gestureManager = new GestureManager(
        *m_interactionEngine, weakMediaCommand(&MediaRemoteBridge::previousTrack),
        weakMediaCommand(&MediaRemoteBridge::nextTrack), [] { return AdvancedPages::pageCount; },
        *m_platform.screens, m_platform.clock, this);
    if (m_notchWindowManager->panel())
        m_gestureManager->setObservedWindow(m_notchWindowManager->panel());
    m_gestureManager->installMonitors(m_platform.globalInput);
    qCDebug(lcApp, "start: gestures installed");
}

void AppCoordinator::startMirrorWindows() {
    m_mirrorWindows =
        new MirrorWindowManager(*m_services.mirror, *m_platform.screens, m_platform.desktopWindows, this);
    m_mirrorWindows->start();
    qCDebug(lcApp, "start: mirror windows started");
}

void AppCoordinator::subscribeActiveKinds() {
    using Kind = QuickAction::Kind;
    QuickActionsStore* store = m_services.quickActions;
    auto follow = [store](Kind kind, bool on) {
        if (on)
            store->insertActiveKind(kind);
        else
            store->removeActiveKind(kind);
    };

    // A subscription replaces an earlier one: its connections all go with their context object.
    delete m_activeKindObservers.data();
    auto* observers = new QObject(this);
    m_activeKindObservers = observers;
    // Each subscription gets the current value at once.
    connect(m_services.mic, &MicMuteService::isMutedChanged, observers,
            [follow](bool muted) { follow(Kind::muteMic, muted); });
    follow(Kind::muteMic, m_services.mic->isMuted());

    connect(m_services.appState, &AppState::notificationsMutedChanged, observers,
            [follow](bool muted) { follow(Kind::dnd, muted); });
    follow(Kind::dnd, m_services.appState->notificationsMuted());

    connect(m_services.timer, &TimerService::activeChanged, observers,
            [follow](const std::optional<TimerInfo>& active) { follow(Kind::timer, active.has_value()); });
    follow(Kind::timer, m_services.timer->active().has_value());

    // A mirror without a camera mirrors nothing: it is not marked on.
    CameraMirrorService* mirror = m_services.mirror;
    connect(mirror, &CameraMirrorService::isActiveChanged, observers,
            [follow, mirror](bool active) { follow(Kind::mirror, active && !mirror->hasNoCamera()); });
    follow(Kind::mirror, mirror->isActive() && !mirror->hasNoCamera());

    m_lastFocusTimerId.reset();
    auto focusOnNewTimer = [this](const std::optional<TimerInfo>& active) {
        if (!active || m_lastFocusTimerId == active->id)
            return;
        m_lastFocusTimerId = active->id;
        if (m_services.appState->autoCycleFocusOnTimerStart())
            later([this] { focus().cycleFocus(); });
    };
    connect(m_services.timer, &TimerService::activeChanged, observers, focusOnNewTimer);
    focusOnNewTimer(m_services.timer->active());
}

void AppCoordinator::stop() {
    // The hook endpoint's threads go first: the service lives on past the program's end, and a
    // request still answered then would read what the exit handlers tear down.
    if (m_services.aiHooks)
        m_services.aiHooks->stop();
    if (m_notchWindowManager)
        m_notchWindowManager->teardown();
    if (m_gestureManager)
        m_gestureManager->stop();
    if (m_mirrorWindows)
        m_mirrorWindows->stop();
    closeOnboarding();
    if (m_settingsWindow)
        m_settingsWindow->close();

    delete m_notchWindowManager.data();
    delete m_gestureManager.data();
    delete m_mirrorWindows.data();
    delete m_onboardingWindow.data();
    delete m_settingsWindow.data();
    delete m_keyboardShortcutManager.data();
    delete m_activeKindObservers.data();

    m_services.mirror->stop();
    // A question shown after the program is gone could no longer be answered.
    if (m_services.aiHooks)
        m_services.aiHooks->withdrawNotifications();
    stopGlow();
    // The last half second of typing is written now rather than lost with the process.
    m_services.notes->flush();
    // A shelf or batch change that could not be saved gets a last try, should space have come back.
    if (m_services.fileShelf)
        m_services.fileShelf->flush();
    if (m_services.apps)
        m_services.apps->flush();
}

void AppCoordinator::handleQuickAction(QuickAction::Kind kind) {
    using Kind = QuickAction::Kind;
    switch (kind) {
    case Kind::muteMic:
        later([this] { mic().toggle(); });
        break;
    case Kind::dnd:
        m_services.appState->setNotificationsMuted(!m_services.appState->notificationsMuted());
        break;
    case Kind::timer:
        if (!m_services.timer->active())
            m_services.timer->start(900);
        else
            m_services.timer->cancel();
        break;
    case Kind::mirror:
        later([this] { mirror().toggle(permissions()); });
        break;
    case Kind::appLauncher:
        later([this] { apps().launchAll(); });
        break;
    case Kind::calculator:
    case Kind::googleSearch:
    case Kind::focus:
        break;
    }
    qCDebug(lcApp, "quick action %s handled", qUtf8Printable(rawValue(kind)));
}

void AppCoordinator::toggleDND(std::function<void()> done) {
    QPointer<AppCoordinator> self(this);
    m_services.focus->toggleDND([self, done](bool ok) {
        if (self) {
            QuickActionsStore& store = self->quickActions();
            if (ok) {
                if (store.isActive(QuickAction::Kind::dnd))
                    store.removeActiveKind(QuickAction::Kind::dnd);
                else
                    store.insertActiveKind(QuickAction::Kind::dnd);
            } else {
                store.removeActiveKind(QuickAction::Kind::dnd);
                // The name the user is expected to give the shortcut they create.
                self->m_services.workspace->setClipboardText(toggleDNDShortcutName);
                self->m_services.workspace->openShortcutsApplication();
                qCCritical(lcServices, "toggle dnd shortcut failed");
            }
        }
        if (done)
            done();
    });
}

QWidget* AppCoordinator::openSettings() {
    QWidget* window = m_settingsWindow ? m_settingsWindow.data() : makeSettingsWindow();
    window->setObjectName(settingsWindowIdentifier);
    window->setWindowTitle(QString());
    // The open panel is raised whenever it opens or is clicked; the settings stay over it.
    NotchPanel* panel = m_notchWindowManager ? m_notchWindowManager->panel() : nullptr;
    if (panel && m_platform.desktopWindows) {
        window->winId();
        m_platform.desktopWindows->keepAbove(window->windowHandle(), panel->windowHandle());
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void AppCoordinator::offerAppKeys(QWidget* window) {
    // A window's actions answer their keys while it is the active window; the tray menu alone
    // answers them only while it is open.
    if (window)
        window->addActions({m_settingsAction, m_quitAction});
}

QWidget* AppCoordinator::makeSettingsWindow() {
    auto* window =
        new SettingsOverlayWindow(QRect(0, 0, SettingsScene::sceneWidth, SettingsScene::sceneHeight));
    window->setObjectName(settingsWindowIdentifier);
    window->setScreens(m_platform.screens);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    SettingsScene::Context context;
    context.halo = m_halo;
    context.apps = m_services.apps;
    // Only hidden: the window and the chosen page stay for the next opening.
    context.close = ContextCallback<void()>(window, [window] { window->hide(); });
    context.shortcutStore = KeyboardShortcuts::defaults();
    context.shortcutRegistry = KeyboardShortcuts::registry();
    layout->addWidget(new SettingsScene(m_services, std::move(context), SettingsTab::general, window));
    window->clipToCardWithoutCompositor(m_platform.desktopWindows, SettingsScene::cardOutline());
    // The glow is raised over the panel whenever the panel comes forward; the settings, which
    // stay over the panel, stay over its glow too ("test glow now" draws it under them).
    if (NotchHaloWindow* glow = m_notchWindowManager ? m_notchWindowManager->haloWindow() : nullptr)
        connect(glow, &NotchHaloWindow::raised, window, [window] {
            if (window->isVisible())
                window->raise();
        });
    if (const auto screen = m_platform.screens->mainScreen())
        window->move(screen->frame.center() - window->rect().center());
    offerAppKeys(window);
    m_settingsWindow = window;
    return window;
}

void AppCoordinator::showOnboarding() {
    if (m_onboardingWindow) {
        m_onboardingWindow->show();
        m_onboardingWindow->raise();
        m_onboardingWindow->activateWindow();
        return;
    }
    auto* window = new OnboardingWindow(QSize(OnboardingView::viewWidth, OnboardingView::viewHeight));
    window->setObjectName(OnboardingView::windowIdentifier);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new OnboardingView(
        *m_services.permissions, *m_services.aiHooks, *m_services.appState, *m_platform.defaults,
        ContextCallback<void()>(this, [this] { closeOnboarding(); }), 4, window));
    if (const auto screen = m_platform.screens->mainScreen())
        window->move(screen->frame.center() - window->rect().center());
    offerAppKeys(window);
    // Closing it from the window manager drops it like its own close action does.
    window->installEventFilter(this);
    window->show();
    window->raise();
    window->activateWindow();
    m_onboardingWindow = window;
}

void AppCoordinator::closeOnboarding() {
    QWidget* window = m_onboardingWindow;
    if (!window)
        return;
    m_onboardingWindow.clear();
    window->removeEventFilter(this);
    window->hide();
    window->deleteLater();
}

bool AppCoordinator::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Close && watched == m_onboardingWindow.data())
        closeOnboarding();
    return QObject::eventFilter(watched, event);
}

void AppCoordinator::startHookServices() {
    AIHooksService* hooks = m_services.aiHooks;
    if (!hooks)
        return;
    hooks->refreshStatus();
    hooks->startListener();
    hooks->startWatchingInbox();
    qCDebug(lcApp, "start: hook services started");
    // Asked on a later turn of the event loop, so start-up never waits for the notification server.
    afterFirstFrame([hooks] { hooks->requestNotificationAuthorization(); });
}

void AppCoordinator::bindGlow() {
    m_halo->observeMedia();
    m_halo->observeHookEvents();
    m_halo->observeInteractionMode();
    m_halo->observeHaloMode();
    m_halo->startAmbientLoop();
    m_halo->syncAmbientHalo();
    qCDebug(lcApp, "start: glow bound");
}

void AppCoordinator::stopGlow() {
    m_halo->stop();
}
