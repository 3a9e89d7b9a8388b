#pragma once

#include "Brimlark/aihooks/AIHooksService.h"
#include "Brimlark/controls/CameraMirrorService.h"
#include "Brimlark/controls/FocusService.h"
#include "Brimlark/controls/MediaService.h"
#include "Brimlark/controls/MicMuteService.h"
#include "Brimlark/controls/ShortcutsRunner.h"
#include "Brimlark/controls/TimerService.h"
#include "Brimlark/core/PermissionsCoordinator.h"
#include "Brimlark/organizer/NotesService.h"
#include "Brimlark/quickactions/QuickActionsStore.h"
#include "Brimlark/shelf/AppLauncherService.h"
#include "Brimlark/shelf/FileShelfService.h"
#include "Brimlark/shell/AppCoordinator.h"
#include "Brimlark/surface/NotchRootView.h"
#include "platform/ContextCallback.h"
#include "platform/fake/FakeAccessibility.h"
#include "platform/fake/FakeAudioInput.h"
#include "platform/fake/FakeBookmarks.h"
#include "platform/fake/FakeCamera.h"
#include "platform/fake/FakeEventStore.h"
#include "platform/fake/FakeGlobalInput.h"
#include "platform/fake/FakeLoopbackListener.h"
#include "platform/fake/FakeNotifications.h"
#include "platform/fake/FakePermissions.h"
#include "platform/fake/FakeScreens.h"
#include "platform/fake/FakeShare.h"
#include "platform/fake/FakeWorkspace.h"
#include "tests/support/StateFixture.h"

#include <QHash>
#include <QStringList>

#include <memory>

// Runs no process: records the names asked for and answers each with a scripted status (1 when
// none is scripted), on the next turn of the event loop as a real process would.
class FakeShortcutsRunner final : public ShortcutsRunner {
public:
    void runShortcut(const QString& name, const std::optional<QString>&, const QObject* context,
                     std::function<void(int)> done) override {
        ran.append(name);
        const int status = statuses.value(name, 1);
        QMetaObject::invokeMethod(
            this, [reply = ContextCallback<void(int)>(context, std::move(done)), status] { reply(status); },
            Qt::QueuedConnection);
    }
    QHash<QString, int> statuses;
    QStringList ran;
};

// Records the transport commands it is asked to send and answers queries from `playing`.
class RecordingMediaBridge final : public MediaRemoteBridge {
public:
    std::optional<NowPlaying> query(SourceApp app) override {
        ++queries;
        if (playing && playing->source == app)
            return playing;
        return std::nullopt;
    }
    std::optional<NowPlaying> playing;
    QStringList sent;
    int queries = 0;

protected:
    void send(SourceApp app, const QString& command) override {
        sent.append(command + QLatin1Char('@') +
                    (app == SourceApp::music ? QLatin1String("music") : QLatin1String("spotify")));
    }
};

// Every shared service of the coordinator, built over fakes in a private folder.
struct ServiceFixture : StateFixture {
    FakeScreens screens;
    FakeGlobalInput globalInput;
    FakeAccessibility accessibility;
    FakeWorkspace workspace;
    FakeEventStore eventStore;
    FakePermissions permissions;
    FakeAudioInput audioInput;
    FakeNotifications notifications;
    FakeShortcutsRunner runner;
    RecordingMediaBridge bridge;
    QuickActionsStore quickActions{defaults};
    NotesService notes{dir.filePath(NotesService::fileName()), &clock};
    AppLauncherService apps{workspace};
    TimerService timer{appState, &notifications, &clock};
    PermissionsCoordinator permissionsCoordinator{eventStore, permissions, &notifications};
    MediaService media{bridge, &clock};
    MicMuteService mic{runner, workspace, permissions, audioInput};
    FocusService focus{defaults, runner};
    FakeCamera camera;
    CameraMirrorService mirror{defaults, &camera, &clock};
    FakeBookmarks bookmarks;
    FakeShare share;
    FileShelfService fileShelf{defaults, bookmarks, share, clock};
    FakeLoopbackListener* hookListener = nullptr;
    // No inbox watch: these tests put their events in through the store or the fake listener.
    AIHooksService aiHooks{
        appState, dir.filePath(QStringLiteral("support")),     &notifications, &workspace, nullptr,
        &clock,   FakeLoopbackListener::factory(&hookListener)};

    ServiceFixture() {
        aiHooks.setPort(0); // an ephemeral loopback port, never the real one
        screens.setScreens({FakeScreens::plain(QStringLiteral("Main"), QRect(0, 0, 1920, 1080))});
        globalInput.pointer = QPoint(100, 500);
    }

    AppCoordinator::Services services() {
        AppCoordinator::Services s;
        s.appState = &appState;
        s.quickActions = &quickActions;
        s.notes = &notes;
        s.apps = &apps;
        s.timer = &timer;
        s.permissions = &permissionsCoordinator;
        s.media = &media;
        s.mic = &mic;
        s.focus = &focus;
        s.mirror = &mirror;
        s.fileShelf = &fileShelf;
        s.aiHooks = &aiHooks;
        return s;
    }

    AppCoordinator::Platform platform() {
        AppCoordinator::Platform p;
        p.defaults = &defaults;
        p.clock = &clock;
        p.screens = &screens;
        p.globalInput = &globalInput;
        p.accessibility = &accessibility;
        p.workspace = &workspace;
        return p;
    }

    std::unique_ptr<AppCoordinator> makeCoordinator() {
        return std::make_unique<AppCoordinator>(services(), platform());
    }

    // The panel's inputs over this fixture's services, with the engine and the organizer services
    // a test builds itself; the test adds what else its panel needs.
    NotchRootView::Inputs panelInputs(InteractionEngine* engine, CalendarService* calendar,
                                      RemindersService* reminders) {
        NotchRootView::Inputs inputs;
        inputs.interactionEngine = engine;
        inputs.quickActionsStore = &quickActions;
        inputs.appState = &appState;
        inputs.notes = &notes;
        inputs.apps = &apps;
        inputs.timer = &timer;
        inputs.calendar = calendar;
        inputs.reminders = reminders;
        inputs.permissions = &permissionsCoordinator;
        inputs.media = &media;
        inputs.mirror = &mirror;
        inputs.fileShelf = &fileShelf;
        inputs.aiHooks = &aiHooks;
        return inputs;
    }
};
