#include "Brimlark/controls/MirrorWindowManager.h"
#include "Brimlark/core/EnumText.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/organizer/CalendarService.h"
#include "Brimlark/settings/onboarding/OnboardingView.h"
#include "Brimlark/shell/GestureManager.h"
#include "Brimlark/shell/NotchWindowManager.h"
#include "Brimlark/shortcuts/ShortcutNames.h"
#include "Brimlark/surface/CompactHiddenStatusView.h"
#include "Brimlark/surface/CompactLiveStatusStore.h"
#include "Brimlark/surface/CompactStatusButton.h"
#include "Brimlark/surface/HaloController.h"
#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "KeyboardShortcuts/NameRegistry.h"
#include "platform/fake/FakeKeyboardLayout.h"
#include "platform/fake/FakeLoopbackListener.h"
#include "platform/linux/apps/LinuxProcessLauncher.h"
#include "tests/support/FileWrites.h"
#include "tests/support/HookTestClient.h"
#include "tests/support/Screenshot.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestMain.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>

#include <sys/stat.h>

using Kind = QuickAction::Kind;
using Name = KeyboardShortcutManager::Name;
using Mode = InteractionEngine::Mode;

namespace {
struct LogLine {
    QString category;
    QtMsgType type;
    QString message;
};
QList<LogLine> g_log;
QtMessageHandler g_previous = nullptr;

void capture(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    g_log.append({QString::fromLatin1(context.category), type, message});
    g_previous(type, context, message);
}

QStringList messages(const QString& category) {
    QStringList lines;
    for (const LogLine& line : std::as_const(g_log)) {
        if (line.category == category)
            lines.append(line.message);
    }
    return lines;
}

bool logged(const QString& category, QtMsgType type, const QString& message) {
    for (const LogLine& line : std::as_const(g_log)) {
        if (line.category == category && line.type == type && line.message == message)
            return true;
    }
    return false;
}

const QString appCategory = QStringLiteral("com.brimlark.app.app");
} // namespace

class TestAppCoordinator : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<ServiceFixture> f;
    std::unique_ptr<AppCoordinator> c;
    QList<Name> registered;
    QMap<Name, std::function<void()>> shortcutActions;

    void build() {
        AppCoordinator::Platform platform = f->platform();
        platform.registerShortcut = [this](Name name, std::function<void()> action) {
            registered.append(name);
            shortcutActions.insert(name, std::move(action));
        };
        c = std::make_unique<AppCoordinator>(f->services(), platform);
    }

private slots:
    void initTestCase() { g_previous = qInstallMessageHandler(capture); }
    void init() {
        g_log.clear();
        registered.clear();
        shortcutActions.clear();
        f = std::make_unique<ServiceFixture>();
        build();
    }
    void cleanup() {
        c.reset();
        f.reset();
    }

    void startRunsItsStepsInOrder() {
        QVERIFY(!c->notchWindowManager());
        f->notifications.authorization = NotificationAuthorization::notDetermined;
        c->start();
        QCOMPARE(messages(appCategory), QStringList({
                                            QStringLiteral("start: calendar and reminders ready"),
                                            QStringLiteral("start: live status started"),
                                            QStringLiteral("start: notch panel set up"),
                                            QStringLiteral("start: shortcuts started"),
                                            QStringLiteral("start: gestures installed"),
                                            QStringLiteral("start: mirror windows started"),
                                            QStringLiteral("start: observers subscribed"),
                                            QStringLiteral("start: hook services started"),
                                            QStringLiteral("start: glow bound"),
                                            QStringLiteral("Brimlark bootstrapped"),
                                        }));
        // The calendar and the players are first asked on the next turn of the event loop.
        QCOMPARE(f->bridge.queries, 0);
        QTRY_VERIFY(messages(appCategory).contains(QStringLiteral("start: calendar and media refreshed")));
        QVERIFY(logged(appCategory, QtInfoMsg, QStringLiteral("Brimlark bootstrapped")));
        QVERIFY(c->notchWindowManager()->panel()->isVisible());
        QVERIFY(f->globalInput.started);
        QCOMPARE(registered, allCases<Name>()); // the sixteen names, in order
        QVERIFY(c->gestureManager());
        QVERIFY(c->mirrorWindows());
        QCOMPARE(f->bridge.queries, 2); // music, then spotify
        QVERIFY(f->aiHooks.isListening());
        QVERIFY(QFile::exists(f->aiHooks.inboxPath()));
        QTRY_COMPARE(f->notifications.authorizationRequests, 1);
    }

    // The first calendar refresh follows start-up: an event fifteen minutes away then, or starting
    // then, still raises its alert in the closed panel; one further off raises none.
    void anEventDueAtStartRaisesItsAlert_data() {
        QTest::addColumn<int>("startsIn");
        QTest::addColumn<bool>("alert");
        QTest::newRow("in fifteen minutes") << 900 << true;
        QTest::newRow("starting now") << 0 << true;
        QTest::newRow("in an hour") << 3600 << false;
    }
    void anEventDueAtStartRaisesItsAlert() {
        QFETCH(int, startsIn);
        QFETCH(bool, alert);
        f->eventStore.events = PermissionStatus::authorized;
        f->eventStore.calendars = {
            EventStore::Calendar{QStringLiteral("work"), QStringLiteral("Work"), Qt::blue}};
        EventStore::Event event;
        event.identifier = QStringLiteral("standup-1");
        event.title = QStringLiteral("Standup");
        event.start = f->clock.now().addSecs(startsIn);
        event.end = event.start.addSecs(1800);
        event.calendarIdentifier = QStringLiteral("work");
        f->eventStore.storedEvents = {event};
        f->permissionsCoordinator.refresh();
        c->start();
        QTRY_VERIFY(c->calendar().nextEvent().has_value());
        QCOMPARE(c->calendar().nextEvent()->title, QStringLiteral("Standup"));
        CompactLiveStatusStore* status = c->compactStatus();
        if (alert) {
            QTRY_VERIFY(status->current().has_value());
            QCOMPARE(status->current()->kind(), CompactLiveStatus::Kind::calendar);
        } else {
            QTest::qWait(50);
            QVERIFY(!status->current().has_value());
        }
    }

    void activeKindsMatchTheServicesRightAfterStart() {
        f->mic.setMode(MicMuteService::Mode::shortcut);
        f->runner.statuses.insert(QStringLiteral("Brimlark.ToggleMic"), 0);
        f->mic.toggle();
        QTRY_VERIFY(f->mic.isMuted());
        f->appState.setNotificationsMuted(true);
        f->timer.start(300);
        c->start();
        QCOMPARE(f->quickActions.activeKinds(), QSet<Kind>({Kind::muteMic, Kind::dnd, Kind::timer}));
        f->timer.cancel();
        QCOMPARE(f->quickActions.activeKinds(), QSet<Kind>({Kind::muteMic, Kind::dnd}));
    }

    void everyQuickActionLogsItsLine_data() {
        QTest::addColumn<Kind>("kind");
        for (Kind kind : allCases<Kind>())
            QTest::newRow(qPrintable(rawValue(kind))) << kind;
    }
    void everyQuickActionLogsItsLine() {
        QFETCH(Kind, kind);
        c->handleQuickAction(kind);
        QVERIFY(
            logged(appCategory, QtDebugMsg, QStringLiteral("quick action %1 handled").arg(rawValue(kind))));
    }

    void timerQuickActionStartsFifteenMinutesThenCancels() {
        c->handleQuickAction(Kind::timer);
        QVERIFY(f->timer.active());
        QCOMPARE(f->timer.active()->total, 900.0);
        c->handleQuickAction(Kind::timer);
        QVERIFY(!f->timer.active());
    }

    void dndQuickActionFlipsNotificationMute() {
        c->start();
        c->handleQuickAction(Kind::dnd);
        QVERIFY(f->appState.notificationsMuted());
        QVERIFY(f->quickActions.isActive(Kind::dnd));
        QCOMPARE(f->defaults.boolValue(AppState::Keys::notificationsMuted), true);
        c->handleQuickAction(Kind::dnd);
        QVERIFY(!f->appState.notificationsMuted());
        QVERIFY(!f->quickActions.isActive(Kind::dnd));
    }

    void toggleDNDFlipsTheActiveKindWhenTheShortcutRuns() {
        f->runner.statuses.insert(QStringLiteral("Brimlark.ToggleDnD"), 0);
        bool done = false;
        c->toggleDND([&] { done = true; });
        QTRY_VERIFY(done);
        QCOMPARE(f->runner.ran,
                 QStringList({QStringLiteral("Brimlark.ToggleDND"), QStringLiteral("Brimlark.ToggleDnD")}));
        QVERIFY(f->quickActions.isActive(Kind::dnd));
        done = false;
        c->toggleDND([&] { done = true; });
        QTRY_VERIFY(done);
        QVERIFY(!f->quickActions.isActive(Kind::dnd));
        QVERIFY(f->workspace.clipboard.isEmpty());
    }

    void toggleDNDFailureHelpsTheUserMakeTheShortcut() {
        f->quickActions.insertActiveKind(Kind::dnd);
        bool done = false;
        c->toggleDND([&] { done = true; });
        QTRY_VERIFY(done);
        QCOMPARE(f->runner.ran.size(), 3);
        QVERIFY(!f->quickActions.isActive(Kind::dnd));
        QCOMPARE(f->workspace.clipboard, QStringLiteral("Brimlark.ToggleDND"));
        QCOMPARE(f->workspace.shortcutsApplicationOpenings, 1);
        QVERIFY(logged(QStringLiteral("com.brimlark.app.services"), QtCriticalMsg,
                       QStringLiteral("toggle dnd shortcut failed")));
    }

    void startingATimerCyclesFocusOncePerTimer() {
        f->appState.setAutoCycleFocusOnTimerStart(true);
        c->start();
        f->timer.start(60);
        QTRY_COMPARE(f->runner.ran, QStringList({QStringLiteral("Brimlark.ToggleFocus")}));
        f->timer.start(120);
        QTRY_COMPARE(f->runner.ran.size(), 2);
        f->timer.cancel();
        QTest::qWait(20);
        QCOMPARE(f->runner.ran.size(), 2);
    }

    void shortcutActionsReachTheEngineAndTheServices() {
        c->start();
        shortcutActions.value(Name::openNotes)();
        QCOMPARE(c->interactionEngine().mode(), Mode::advanced(0));
        QCOMPARE(c->interactionEngine().lastOpenTrigger(), InteractionEngine::InteractionTrigger::gesture);
        shortcutActions.value(Name::timer30)();
        QCOMPARE(f->timer.active()->total, 1800.0);
        shortcutActions.value(Name::toggleDND)();
        QTRY_COMPARE(f->runner.ran.size(), 3);
    }

    void aHotKeyPressAfterStartRunsItsActionOnce_data() {
        QTest::addColumn<int>("presses");
        QTest::addColumn<Mode>("mode");
        QTest::newRow("once: basic") << 1 << Mode::basic();
        QTest::newRow("twice: hidden again") << 2 << Mode::hidden();
    }
    void aHotKeyPressAfterStartRunsItsActionOnce() {
        QFETCH(int, presses);
        QFETCH(Mode, mode);
        FakeKeyboardLayout layout;
        KeyboardShortcuts::CarbonKeyboardShortcuts registry(&f->hotKeys);
        KeyboardShortcuts::NameRegistry::shared().reset();
        KeyboardShortcuts::install(&f->defaults, &layout, &registry);
        AppCoordinator::Platform platform = f->platform();
        platform.registerShortcut = shortcutRegistrar(&registry);
        c = std::make_unique<AppCoordinator>(f->services(), platform);
        c->start();
        QCOMPARE(f->hotKeys.callsOf(FakeHotKeys::Call::Kind::registered).size(), 4);
        for (int i = 0; i < presses; ++i) {
            QVERIFY(f->hotKeys.press(45, 2304));
            QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
        }
        QCOMPARE(c->interactionEngine().mode(), mode);
        c.reset();
        KeyboardShortcuts::install(nullptr, nullptr, nullptr);
    }

    // What a start stores (the default shortcuts) goes out in one write, and a start over the
    // settings a start left writes nothing, however large the file.
    void aStartWritesItsSettingsOnceOrNotAtAll_data() {
        QTest::addColumn<int>("starts");
        QTest::addColumn<int>("lastWrites");
        QTest::newRow("the first start") << 1 << 1;
        QTest::newRow("a start over what a start stored") << 2 << 0;
    }
    void aStartWritesItsSettingsOnceOrNotAtAll() {
        QFETCH(int, starts);
        QFETCH(int, lastWrites);
        const QString path = f->dir.filePath(QStringLiteral("settings.json"));
        const QString large(1 << 20, QLatin1Char('x'));
        const QJsonObject before{{QStringLiteral("brimlark.onboarded"), true},
                                 {QStringLiteral("kept"), large}};
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QJsonDocument(before).toJson());
        }
        int writes = -1;
        struct stat left {};
        for (int start = 0; start < starts; ++start) {
            QVERIFY(stat(QFile::encodeName(path).constData(), &left) == 0);
            // As a new process: the settings read afresh, the names made again.
            UserDefaults settings(path);
            FakeKeyboardLayout layout;
            KeyboardShortcuts::CarbonKeyboardShortcuts registry(&f->hotKeys);
            KeyboardShortcuts::NameRegistry::shared().reset();
            KeyboardShortcuts::install(&settings, &layout, &registry);
            AppCoordinator::Platform platform = f->platform();
            platform.defaults = &settings;
            platform.registerShortcut = shortcutRegistrar(&registry);
            c = std::make_unique<AppCoordinator>(f->services(), platform);
            const FileWrites replaced(path);
            c->start();
            writes = replaced.count();
            c.reset();
            KeyboardShortcuts::install(nullptr, nullptr, nullptr);
        }
        QCOMPARE(writes, lastWrites);
        struct stat now {};
        QVERIFY(stat(QFile::encodeName(path).constData(), &now) == 0);
        if (lastWrites == 0) {
            QCOMPARE(now.st_ino, left.st_ino);
            QCOMPARE(now.st_mtim.tv_nsec, left.st_mtim.tv_nsec);
            QCOMPARE(now.st_mtim.tv_sec, left.st_mtim.tv_sec);
        }
        // The four default shortcuts are stored beside what was there.
        UserDefaults stored(path);
        QCOMPARE(stored.keys(KeyboardShortcuts::storagePrefix()).size(), 4);
        QCOMPARE(stored.string(QStringLiteral("kept")), std::optional<QString>(large));
    }

    void mediaCallbacksAddressThePlayingSourceThenRefresh() {
        c->start();
        MediaRemoteBridge::NowPlaying track;
        track.title = QStringLiteral("Song");
        track.source = MediaRemoteBridge::SourceApp::spotify;
        f->bridge.playing = track;
        f->media.refresh();
        const int queries = f->bridge.queries;
        c->notchWindowManager()->hostingView()->inputs().onMediaNext();
        QCOMPARE(f->bridge.sent, QStringList({QStringLiteral("next track@spotify")}));
        QVERIFY(f->bridge.queries > queries);
        // Nothing playing: the first player with a track is asked; none has one, nothing is sent.
        f->bridge.playing.reset();
        f->media.refresh();
        c->notchWindowManager()->hostingView()->inputs().onMediaPlayPause();
        QCOMPARE(f->bridge.sent.size(), 1);
    }

    void settingsWindowIsBuiltOnceAndReused() {
        QWidget* first = c->openSettings();
        QCOMPARE(first->objectName(), QStringLiteral("BrimlarkSettingsWindow"));
        QVERIFY(first->isVisible());
        QCOMPARE(first->size(), QSize(840, 600));
        first->hide();
        QCOMPARE(c->openSettings(), first);
        QVERIFY(first->isVisible());
    }

    // Escape puts the window away as its close button does: the same window comes back.
    void escapePutsTheSettingsAway() {
        QWidget* window = c->openSettings();
        QTest::keyClick(window, Qt::Key_Escape);
        QVERIFY(!window->isVisible());
        QCOMPARE(c->settingsWindow(), window);
        QCOMPARE(c->openSettings(), window);
        QVERIFY(window->isVisible());
    }

    void onboardingIsDroppedByItsCloseAndBuiltAgain() {
        c->showOnboarding();
        QPointer<QWidget> first = c->onboardingWindow();
        QCOMPARE(first->objectName(), QStringLiteral("BrimlarkOnboardingWindow"));
        c->showOnboarding();
        QCOMPARE(c->onboardingWindow(), first.data());
        auto* view = first->findChild<OnboardingView*>();
        view->advance();
        view->advance();
        view->advance();
        view->finish();
        QVERIFY(!c->onboardingWindow());
        QVERIFY(f->defaults.boolValue(OnboardingView::onboardedKey));
        QTRY_VERIFY(!first);
        c->showOnboarding();
        QVERIFY(c->onboardingWindow());
        QCOMPARE(c->onboardingWindow()->findChild<OnboardingView*>()->step(), 0);
    }

    void anAskingEventPostedToTheEndpointShowsThePillAndAllowRunsIt() {
        // A hook service of its own with a real launcher, so that "allow" runs a shell.
        LinuxProcessLauncher launcher;
        FakeLoopbackListener* listener = nullptr;
        AIHooksService hooks(f->appState, f->dir.filePath(QStringLiteral("live")), &f->notifications,
                             &f->workspace, &launcher, &f->clock, FakeLoopbackListener::factory(&listener));
        hooks.setPort(0);
        PanelServices services = f->services();
        services.aiHooks = &hooks;
        c = std::make_unique<AppCoordinator>(services, f->platform());
        f->appState.setHaloOnHooks(true);
        f->appState.setHaloMode(HaloMode::oneShot);
        c->start();
        NotchWindowManager* manager = c->notchWindowManager();
        QTRY_COMPARE(manager->panel()->geometry().size(), QSize(200, 32));

        const QString marker = f->dir.filePath(QStringLiteral("approved"));
        const QByteArray body =
            QJsonDocument(QJsonObject{{QStringLiteral("source"), QStringLiteral("claude")},
                                      {QStringLiteral("status"), QStringLiteral("asking")},
                                      {QStringLiteral("title"), QStringLiteral("Run tests?")},
                                      {QStringLiteral("approve_command"), QStringLiteral("touch ") + marker}})
                .toJson(QJsonDocument::Compact);
        QVERIFY(listener->exchange(hookPost(body)).startsWith("HTTP/1.1 200"));
        QTRY_COMPARE(manager->panel()->geometry().size(), QSize(356, 102));
        auto* pill = qobject_cast<CompactHiddenStatusView*>(manager->hostingView()->modeView());
        QVERIFY(pill);
        QCOMPARE(pill->content().headline, QStringLiteral("claude needs approval"));
        QCOMPARE(pill->content().secondLine, std::optional<QString>(QStringLiteral("run tests?")));
        QVERIFY(pill->allowButton());
        QVERIFY(!pill->denyButton()); // the event carries no deny action
        brimlark::test::saveScreenshot(manager->hostingView(), QStringLiteral("pill-from-the-endpoint"));
        // The glow follows the same event, in the asking colour.
        QTRY_VERIFY(c->halo().current().has_value());
        QCOMPARE(c->halo().current()->color, BrimlarkTheme::accent());

        QTest::mouseClick(pill->allowButton(), Qt::LeftButton);
        QTRY_VERIFY(QFile::exists(marker));
        QVERIFY(hooks.events().isEmpty());
        QTRY_COMPARE(manager->panel()->geometry().size(), QSize(200, 32));
        QVERIFY(!manager->hostingView()->modeView());
        c->stop();
        c.reset();
    }

    // With a live status the closed panel reaches below the notch. Only the notch starts the hover
    // opening: the pill's buttons stay in place to be clicked.
    void hoverOverTheClosedPanelWithALiveStatus_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<Mode>("after");
        QTest::newRow("the allow button") << QStringLiteral("allow") << Mode::hidden();
        QTest::newRow("the deny button") << QStringLiteral("deny") << Mode::hidden();
        QTest::newRow("the notch above the pill") << QStringLiteral("notch") << Mode::basic();
        QTest::newRow("through the notch onto allow")
            << QStringLiteral("notch, then allow") << Mode::hidden();
    }
    void hoverOverTheClosedPanelWithALiveStatus() {
        QFETCH(QString, target);
        QFETCH(Mode, after);
        using Action = HookEvent::Action;
        const QUrl allowUrl(QStringLiteral("https://example.invalid/allow"));
        const QUrl denyUrl(QStringLiteral("https://example.invalid/deny"));
        HookEvent asking;
        asking.id = QUuid::createUuid();
        asking.source = HookEvent::Source::claude;
        asking.status = HookEvent::Status::asking;
        asking.title = QStringLiteral("run tests?");
        asking.timestamp = f->clock.now();
        asking.approveAction = Action{Action::Kind::approve, QStringLiteral("allow"), std::nullopt, allowUrl};
        asking.denyAction = Action{Action::Kind::deny, QStringLiteral("deny"), std::nullopt, denyUrl};
        c->start();
        f->aiHooks.ingest(asking);
        NotchWindowManager* manager = c->notchWindowManager();
        QTRY_COMPARE(manager->panel()->geometry(), QRect(782, 0, 356, 102));
        auto* pill = qobject_cast<CompactHiddenStatusView*>(manager->hostingView()->modeView());
        QVERIFY(pill);
        const QPointer<CompactStatusButton> button =
            target == QLatin1String("deny") ? pill->denyButton() : pill->allowButton();
        const bool throughTheNotch = target.startsWith(QLatin1String("notch, "));
        QVERIFY(button);

        // The pointer arrives from below: the global monitor sees it move, the panel sees it enter.
        NotchRootView* root = manager->hostingView();
        const QPoint global = target == QLatin1String("notch") || throughTheNotch
                                  ? QPoint(960, 16)
                                  : button->mapToGlobal(button->rect().center());
        f->globalInput.movePointer(global);
        QEnterEvent enter(root->mapFromGlobal(QPointF(global)), root->mapFromGlobal(QPointF(global)), global);
        QCoreApplication::sendEvent(root, &enter);
        if (throughTheNotch) {
            // From above: through the notch and on down to the button before the hover delay ends;
            // the move reaches the panel's window, which hands it to the button under it.
            f->clock.advance(std::chrono::milliseconds(30));
            const QPoint onButton = button->mapToGlobal(button->rect().center());
            QWidget* panel = root->window();
            QMouseEvent move(QEvent::MouseMove, panel->mapFromGlobal(QPointF(onButton)), QPointF(onButton),
                             Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(panel->windowHandle(), &move);
        }
        f->clock.advance(std::chrono::milliseconds(150)); // past the hover delay, as the user aims
        QCoreApplication::processEvents();
        QCOMPARE(c->interactionEngine().mode(), after);

        if (after == Mode::hidden()) {
            QVERIFY(button && button->isVisible());
            QTest::mouseClick(button, Qt::LeftButton);
            QCOMPARE(f->workspace.openedUrls,
                     QList<QUrl>{target == QLatin1String("deny") ? denyUrl : allowUrl});
            QVERIFY(f->aiHooks.events().isEmpty());
        }
        c->stop();
    }

    void theGlowIsBoundAtStartAndStoppedAtStop() {
        f->appState.setHaloOnHooks(true);
        HookEvent failed;
        failed.id = QUuid::createUuid();
        failed.source = HookEvent::Source::codex;
        failed.status = HookEvent::Status::error;
        f->aiHooks.ingest(failed);
        c->start();
        QTRY_VERIFY(c->halo().current().has_value()); // the newest event present at start glows once
        QCOMPARE(c->compactStatus()->current()->kind(), CompactLiveStatus::Kind::ai);
        QPointer<CompactLiveStatusStore> store = c->compactStatus();
        c->stop();
        QVERIFY(!c->halo().current());
        QVERIFY(!store); // it went with the window manager
    }

    void stopTearsDownAndASecondStopIsHarmless() {
        c->start();
        c->openSettings();
        c->showOnboarding();
        f->mirror.toggle(f->permissionsCoordinator);
        QVERIFY(f->mirror.isActive());
        QPointer<QWidget> panel = c->notchWindowManager()->panel();
        c->stop();
        QVERIFY(!c->notchWindowManager());
        QVERIFY(!c->gestureManager());
        QVERIFY(!c->mirrorWindows());
        QVERIFY(!c->keyboardShortcutManager());
        QVERIFY(!c->settingsWindow());
        QVERIFY(!c->onboardingWindow());
        QVERIFY(!f->mirror.isActive());
        QVERIFY(!f->globalInput.started);
        QTRY_VERIFY(!panel);
        // The observers are gone: the active kinds no longer follow the services.
        f->appState.setNotificationsMuted(true);
        QVERIFY(!f->quickActions.isActive(Kind::dnd));
        c->stop();
        c.reset();
    }
};

BRIMLARK_TEST_MAIN(TestAppCoordinator)
#include "tst_appcoordinator.moc"
