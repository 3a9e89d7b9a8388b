#pragma once

#include "Brimlark/aihooks/AIHooksService.h"
#include "Brimlark/apps/AppLauncherService.h"
#include "Brimlark/controls/CameraMirrorService.h"
#include "Brimlark/controls/FocusService.h"
#include "Brimlark/controls/MediaService.h"
#include "Brimlark/controls/MicMuteService.h"
#include "Brimlark/controls/ShortcutsRunner.h"
#include "Brimlark/controls/TimerService.h"
#include "Brimlark/core/PermissionsCoordinator.h"
#include "Brimlark/organizer/NotesService.h"
#include "Brimlark/pages/PanelServices.h"
#include "Brimlark/quickactions/QuickActionsStore.h"
#include "Brimlark/shelf/FileShelfService.h"
#include "Brimlark/shell/AppCoordinator.h"
#include "platform/ContextCallback.h"
#include "platform/fake/FakeAccessibility.h"
#include "platform/fake/FakeAudioInput.h"
#include "platform/fake/FakeBookmarks.h"
#include "platform/fake/FakeCamera.h"
#include "platform/fake/FakeEventStore.h"
#include "platform/fake/FakeFilePicker.h"
#include "platform/fake/FakeGlobalInput.h"
#include "platform/fake/FakeHotKeys.h"
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

// Every shared service of the coordinator, built over fakes in a private folder, and the one
// `PanelServices` value over them that the coordinator and the panel's views take.
struct ServiceFixture : StateFixture {
    FakeScreens screens;
    FakeGlobalInput globalInput;
    // Not wired by default: a test that wants hot keys builds a registry over it.
    FakeHotKeys hotKeys;
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
    FakeBookmarks bookmarks;
    FakeFilePicker filePicker;
    AppLauncherService apps{defaults, bookmarks, workspace, filePicker};
    TimerService timer{appState, &notifications, &clock};
    PermissionsCoordinator permissionsCoordinator{eventStore, permissions, &notifications};
    MediaService media{bridge, &clock};
    MicMuteService mic{runner, workspace, permissions, audioInput};
    FocusService focus{defaults, runner};
    FakeCamera camera;
    CameraMirrorService mirror{defaults, &camera, &clock};
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
        m_services.appState = &appState;
        m_services.quickActions = &quickActions;
        m_services.notes = &notes;
        m_services.apps = &apps;
        m_services.timer = &timer;
        m_services.permissions = &permissionsCoordinator;
        m_services.media = &media;
        m_services.mic = &mic;
        m_services.focus = &focus;
        m_services.mirror = &mirror;
        m_services.fileShelf = &fileShelf;
        m_services.aiHooks = &aiHooks;
        m_services.workspace = &workspace;
        m_services.accessibility = &accessibility;
    }

    // This fixture's services. It builds no calendar or reminders: a coordinator builds its own,
    // and a test that shows the panel without one puts in its own with setOrganizer().
    const PanelServices& services() const { return m_services; }
    void setOrganizer(CalendarService* calendar, RemindersService* reminders) {
        m_services.calendar = calendar;
        m_services.reminders = reminders;
    }

    AppCoordinator::Platform platform() {
        AppCoordinator::Platform p;
        p.defaults = &defaults;
        p.clock = &clock;
        p.screens = &screens;
        p.globalInput = &globalInput;
        return p;
    }

    std::unique_ptr<AppCoordinator> makeCoordinator() {
        return std::make_unique<AppCoordinator>(services(), platform());
    }

private:
    PanelServices m_services;
};
