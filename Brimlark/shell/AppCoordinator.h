#pragma once

#include "Brimlark/controls/MediaRemoteBridge.h"
#include "Brimlark/core/InteractionEngine.h"
#include "Brimlark/pages/PanelServices.h"
#include "Brimlark/quickactions/QuickAction.h"
#include "Brimlark/shortcuts/KeyboardShortcutManager.h"
#include "Brimlark/surface/NotchRootView.h"

#include <QObject>
#include <QPointer>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>

class Clock;
class DesktopWindows;
class CompactLiveStatusStore;
class GestureManager;
class GlobalInput;
class HaloController;
class MirrorWindowManager;
class NotchWindowManager;
class Screens;
class UserDefaults;
class QAction;
class QWidget;

// The one owner of every service and window manager. The application delegate creates it at
// process start, starts it once launching has finished and stops it at termination. It runs the
// panel's quick actions, toggles Do Not Disturb through the user's shortcut, and builds the
// settings and onboarding windows. It holds the panel's services in one value, which the panel's
// views and the settings window are given by reference.
class AppCoordinator : public QObject {
    Q_OBJECT
public:
    // The desktop objects the coordinator and its managers use, beyond the workspace and the
    // accessibility settings, which come with the services.
    struct Platform {
        UserDefaults* defaults = nullptr;
        Clock* clock = nullptr;
        Screens* screens = nullptr;
        GlobalInput* globalInput = nullptr;
        // The window manager's hints, focus and compositor; without it the panel is not clipped and
        // the keyboard is not given back.
        DesktopWindows* desktopWindows = nullptr;
        // The desktop's hot-key registry; without one the global shortcuts are not registered.
        KeyboardShortcutManager::KeyDownRegistrar registerShortcut;

        static Platform shared();
    };

    static const QString settingsWindowIdentifier;
    static const QString toggleDNDShortcutName;

    // Takes the shared services and the installed platform objects. The calendar and reminders of
    // `services`, when empty, are built on first use.
    AppCoordinator();
    AppCoordinator(const PanelServices& services, Platform platform, QObject* parent = nullptr);
    ~AppCoordinator() override;

    // The services the panel's views and the settings window are built over; the calendar and the
    // reminders are in it once built (start() builds them).
    const PanelServices& services() const { return m_services; }
    InteractionEngine& interactionEngine() { return *m_interactionEngine; }
    AppState& appState() const { return *m_services.appState; }
    QuickActionsStore& quickActions() const { return *m_services.quickActions; }
    AppLauncherService& apps() const { return *m_services.apps; }
    TimerService& timer() const { return *m_services.timer; }
    PermissionsCoordinator& permissions() const { return *m_services.permissions; }
    MicMuteService& mic() const { return *m_services.mic; }
    FocusService& focus() const { return *m_services.focus; }
    CameraMirrorService& mirror() const { return *m_services.mirror; }
    AIHooksService& aiHooks() const { return *m_services.aiHooks; }
    UserDefaults& defaults() const { return *m_platform.defaults; }
    const Platform& platform() const { return m_platform; }
    // Created on first use, with the permissions coordinator, and put into services().
    CalendarService& calendar();
    RemindersService& reminders();

    // The glow, created with the coordinator and bound by start().
    HaloController& halo() const { return *m_halo; }
    // The live status of the closed panel: built by start(), owned by the notch window manager.
    CompactLiveStatusStore* compactStatus() const;
    NotchWindowManager* notchWindowManager() const;
    KeyboardShortcutManager* keyboardShortcutManager() const { return m_keyboardShortcutManager; }
    GestureManager* gestureManager() const;
    MirrorWindowManager* mirrorWindows() const;
    QWidget* onboardingWindow() const;
    QWidget* settingsWindow() const;
    // "Settings…" (Ctrl+,) and "Quit Brimlark" (Ctrl+Q): the tray menu shows them, and their keys
    // work wherever the app has the keyboard (the open panel, the settings, the onboarding).
    QAction* settingsAction() const { return m_settingsAction; }
    QAction* quitAction() const { return m_quitAction; }

    // Brings up the panel, the shortcuts, the mirror windows and the observers; called once.
    void start();
    // Tears down what start() built, stops the hook service's threads and writes the notes' pending
    // save at once; the shared services stay. A second call does nothing more.
    void stop();

    // Runs one quick action of the panel.
    void handleQuickAction(QuickAction::Kind kind);
    // Runs `call` once the panel has drawn its first frame (at the latest after a second, and on
    // the next turn without a panel on screen): start-up work that waits for other programs (the
    // session bus, the calendar files) comes after the notch is on screen.
    void afterFirstFrame(std::function<void()> call);
    // Brings the settings window to the front, building it on first use.
    QWidget* openSettings();
    // Builds the settings window and keeps it.
    QWidget* makeSettingsWindow();
    // Shows the onboarding window, building it when none exists.
    void showOnboarding();
    // Runs the user's Do Not Disturb shortcut; on failure puts its name on the clipboard and opens
    // the shortcuts application. `done` (optional) runs at the end.
    void toggleDND(std::function<void()> done = {});

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using TransportCommand = void (MediaRemoteBridge::*)(std::optional<MediaRemoteBridge::SourceApp>);

    // The steps of start(), in the order it takes them.
    CompactLiveStatusStore* startLiveStatus();
    NotchRootView::Inputs rootViewInputs(CompactLiveStatusStore* compactStatus);
    void startNotchPanel(CompactLiveStatusStore* compactStatus);
    KeyboardShortcutManager::FeatureHandlers shortcutHandlers();
    void startShortcuts();
    void startGestures();
    void startMirrorWindows();
    // Keeps the quick actions' active marks in step with the mic, notifications, timer and mirror,
    // and cycles the focus when a new timer starts and the setting asks for it.
    void subscribeActiveKinds();
    // Hook events: refresh the hook status, start the listener, watch the inbox file, then ask for
    // notification permission, in that order.
    void startHookServices();
    // The glow: bind it to media, hook events, the mode and its setting, then run its phase loop.
    void bindGlow();
    void stopGlow();

    // Runs `call` on a later turn of the event loop; Qt drops it when the coordinator is gone by then.
    void later(std::function<void()> call);
    void mediaCommand(TransportCommand command);
    // A media command that does nothing once the coordinator is gone.
    std::function<void()> weakMediaCommand(TransportCommand command);
    void closeOnboarding();
    // Lets the app's own keys (settings, quit) work while `window` has the keyboard.
    void offerAppKeys(QWidget* window);

    PanelServices m_services;
    Platform m_platform;
    InteractionEngine* m_interactionEngine;
    HaloController* m_halo;
    QAction* m_settingsAction;
    QAction* m_quitAction;

    QPointer<CompactLiveStatusStore> m_compactStatus;
    QPointer<NotchWindowManager> m_notchWindowManager;
    QPointer<KeyboardShortcutManager> m_keyboardShortcutManager;
    QPointer<GestureManager> m_gestureManager;
    QPointer<MirrorWindowManager> m_mirrorWindows;
    QPointer<QWidget> m_onboardingWindow;
    QPointer<QWidget> m_settingsWindow;

    // The context of subscribeActiveKinds()'s connections: deleting it ends them all.
    QPointer<QObject> m_activeKindObservers;
    std::optional<QUuid> m_lastFocusTimerId;
};
