#include "Brimlark/settings/onboarding/OnboardingView.h"
#include "Brimlark/shell/BrimlarkApp.h"
#include "Brimlark/shell/BrimlarkAppDelegate.h"
#include "Brimlark/shell/MenuBarMenuView.h"
#include "Brimlark/shell/NotchPanel.h"
#include "Brimlark/shell/NotchWindowManager.h"
#include "Brimlark/shell/StatusObserver.h"
#include "Brimlark/shortcuts/ShortcutNames.h"
#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "platform/fake/FakeKeyboardLayout.h"
#include "tests/support/Screenshot.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestMain.h"

#include <QAction>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTimer>

using Mode = InteractionEngine::Mode;
using Trigger = InteractionEngine::InteractionTrigger;

class TestBrimlarkApp : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<ServiceFixture> f;
    std::unique_ptr<BrimlarkApp> app;

    AppCoordinator& coordinator() { return app->appDelegate().coordinator(); }
    InteractionEngine& engine() { return coordinator().interactionEngine(); }

    void launch(const QStringList& arguments = {}) {
        app = std::make_unique<BrimlarkApp>(std::make_unique<BrimlarkAppDelegate>(f->makeCoordinator()));
        app->launch(arguments);
    }

private slots:
    void init() { f = std::make_unique<ServiceFixture>(); }
    void cleanup() {
        app.reset();
        f.reset();
    }

    void firstLaunchStartsThenOpensOnboarding() {
        launch();
        QVERIFY(coordinator().notchWindowManager());
        QVERIFY(coordinator().onboardingWindow());
        QCOMPARE(coordinator().onboardingWindow()->objectName(), QStringLiteral("BrimlarkOnboardingWindow"));
        QVERIFY(!QGuiApplication::quitOnLastWindowClosed());
    }

    void finishedOnboardingStaysClosed() {
        f->defaults.setBool(OnboardingView::onboardedKey, true);
        launch();
        QVERIFY(coordinator().notchWindowManager());
        QVERIFY(!coordinator().onboardingWindow());
    }

    void onboardingArgumentOpensItOnEveryLaunch() {
        for (int run = 0; run < 2; ++run) {
            f->defaults.setBool(OnboardingView::onboardedKey, true);
            launch({QStringLiteral("brimlark"), QStringLiteral("-brimlark-ui-test-show-onboarding")});
            QVERIFY(coordinator().onboardingWindow());
            QCOMPARE(f->defaults.boolValue(OnboardingView::onboardedKey), false);
            app.reset();
        }
    }

    void menuHasItsFiveItems() {
        launch();
        MenuBarMenuView* menu = app->menu();
        QStringList texts;
        const auto actions = menu->actions();
        for (QAction* action : actions)
            texts.append(action->isSeparator() ? QStringLiteral("-") : action->text());
        QCOMPARE(texts, QStringList({"Open Advanced", "Open Basic", "Hide notch", "-", "Settings…", "-",
                                     "Quit Brimlark"}));
        // The opening items' hints are the global shortcuts' (none stored here), not keys of the menu.
        QVERIFY(menu->openAdvancedAction()->shortcut().isEmpty());
        QVERIFY(menu->openBasicAction()->shortcut().isEmpty());
        QVERIFY(menu->hideNotchAction()->shortcut().isEmpty());
        QCOMPARE(menu->settingsAction()->shortcut(), QKeySequence(QStringLiteral("Ctrl+,")));
        QCOMPARE(menu->quitAction()->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
    }

    void menuHintsAreTheRecordedShortcuts() {
        FakeKeyboardLayout layout;
        KeyboardShortcuts::install(&f->defaults, &layout);
        using KeyboardShortcuts::Modifier;
        const KeyboardShortcuts::Name advanced = shortcutName(KeyboardShortcutManager::Name::toggleAdvanced);
        const KeyboardShortcuts::Name basic = shortcutName(KeyboardShortcutManager::Name::toggleBasic);
        advanced.setShortcut(
            KeyboardShortcuts::Shortcut(KeyboardShortcuts::Key::n, Modifier::shift | Modifier::command));
        basic.setShortcut(
            KeyboardShortcuts::Shortcut(KeyboardShortcuts::Key::n, Modifier::option | Modifier::command));
        launch();
        MenuBarMenuView* menu = app->menu();
        QCOMPARE(menu->openAdvancedAction()->text(), QStringLiteral("Open Advanced\tSuper+Shift+N"));
        QCOMPARE(menu->openBasicAction()->text(), QStringLiteral("Open Basic\tSuper+Alt+N"));
        menu->popup(QPoint(0, 0));
        brimlark::test::saveScreenshot(menu, QStringLiteral("tray-menu-hints"));
        menu->hide();

        // Recorded and cleared in the settings: the menu reads them again when it opens.
        advanced.setShortcut(
            KeyboardShortcuts::Shortcut(KeyboardShortcuts::Key::k, Modifier::control | Modifier::shift));
        basic.setShortcut(std::nullopt);
        emit menu->aboutToShow();
        QCOMPARE(menu->openAdvancedAction()->text(), QStringLiteral("Open Advanced\tCtrl+Shift+K"));
        QCOMPARE(menu->openBasicAction()->text(), QStringLiteral("Open Basic"));

        // A tray that draws the menu itself gets the hint as the item's shortcut, never in the label.
        QAction item;
        MenuBarMenuView::showHint(&item, QStringLiteral("Open Advanced"), advanced.shortcut(), true);
        QCOMPARE(item.text(), QStringLiteral("Open Advanced"));
        QCOMPARE(item.shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_K));
        MenuBarMenuView::showHint(&item, QStringLiteral("Open Advanced"), advanced.shortcut(), false);
        QCOMPARE(item.text(), QStringLiteral("Open Advanced\tCtrl+Shift+K"));
        QVERIFY(item.shortcut().isEmpty());
        app.reset();
        KeyboardShortcuts::install(nullptr, nullptr);
    }

    void menuItemsSteerTheEngine() {
        f->appState.setLastAdvancedPage(4);
        launch();
        MenuBarMenuView* menu = app->menu();
        menu->openAdvancedAction()->trigger();
        QCOMPARE(engine().mode(), Mode::advanced(4));
        QCOMPARE(engine().lastOpenTrigger(), Trigger::gesture);

        engine().setLastOpenTrigger(Trigger::click);
        menu->openBasicAction()->trigger();
        QCOMPARE(engine().mode(), Mode::basic());
        QCOMPARE(engine().lastOpenTrigger(), Trigger::click); // untouched

        engine().setSuppressHoverActivationUntilExit(true);
        QVERIFY(menu->hideNotchAction()->isEnabled());
        menu->hideNotchAction()->trigger();
        QCOMPARE(engine().mode(), Mode::hidden());
        QVERIFY(!engine().lastOpenTrigger());
        QVERIFY(!engine().suppressHoverActivationUntilExit());
        // Closed, whether hidden or peeking, there is nothing to hide.
        QVERIFY(!menu->hideNotchAction()->isEnabled());
        engine().setMode(Mode::peek());
        QVERIFY(!menu->hideNotchAction()->isEnabled());
        engine().setMode(Mode::advanced(1));
        QVERIFY(menu->hideNotchAction()->isEnabled());

        menu->settingsAction()->trigger();
        QWidget* settings = coordinator().settingsWindow();
        QVERIFY(settings && settings->isVisible());
        menu->settingsAction()->trigger();
        QCOMPARE(coordinator().settingsWindow(), settings);
    }

    void quitEndsTheLoopAndStopsTheCoordinator() {
        launch();
        QSignalSpy quit(qApp, &QCoreApplication::aboutToQuit);
        QTimer::singleShot(0, app->menu()->quitAction(), &QAction::trigger);
        QTimer::singleShot(2000, qApp, [] { QCoreApplication::exit(1); }); // a safety net
        QCOMPARE(QCoreApplication::exec(), 0);
        QCOMPARE(quit.count(), 1);
        QVERIFY(!coordinator().notchWindowManager());
    }

    // A later start asked this one to show itself.
    void reopenShowsTheRunningApp_data() {
        QTest::addColumn<bool>("onboarded");
        QTest::addColumn<Mode>("before");
        QTest::addColumn<Mode>("after");
        QTest::addColumn<bool>("onboardingShown");
        QTest::newRow("onboarding unfinished") << false << Mode::hidden() << Mode::hidden() << true;
        QTest::newRow("closed") << true << Mode::hidden() << Mode::basic() << false;
        QTest::newRow("peeking") << true << Mode::peek() << Mode::basic() << false;
        QTest::newRow("open stays open") << true << Mode::advanced(2) << Mode::advanced(2) << false;
    }
    void reopenShowsTheRunningApp() {
        QFETCH(bool, onboarded);
        QFETCH(Mode, before);
        f->defaults.setBool(OnboardingView::onboardedKey, onboarded);
        launch();
        if (QWidget* onboarding = coordinator().onboardingWindow())
            onboarding->hide();
        engine().setMode(before);
        app->appDelegate().applicationShouldHandleReopen();
        QTEST(engine().mode(), "after");
        QWidget* onboarding = coordinator().onboardingWindow();
        QTEST(onboarding && onboarding->isVisible(), "onboardingShown");
        if (engine().mode() != before)
            QCOMPARE(engine().lastOpenTrigger(), Trigger::click);
    }

    // The menu's Ctrl+, and Ctrl+Q work where the app has the keyboard, not only in the menu.
    void appKeysWorkInTheOpenPanelAndTheSettings() {
        f->defaults.setBool(OnboardingView::onboardedKey, true);
        launch();
        engine().setMode(Mode::basic());
        QWidget* panel = coordinator().notchWindowManager()->panel();
        panel->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(panel));
        QVERIFY(!coordinator().settingsWindow());
        QTest::keyClick(panel, Qt::Key_Comma, Qt::ControlModifier);
        QWidget* settings = coordinator().settingsWindow();
        QVERIFY(settings && settings->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(settings));
        QSignalSpy quit(qApp, &QCoreApplication::aboutToQuit);
        QTimer::singleShot(0, settings,
                           [settings] { QTest::keyClick(settings, Qt::Key_Q, Qt::ControlModifier); });
        QTimer::singleShot(2000, qApp, [] { QCoreApplication::exit(1); }); // a safety net
        QCOMPARE(QCoreApplication::exec(), 0);
        QCOMPARE(quit.count(), 1);
    }

    void trayLabelDrawsTheSymbol() {
        launch();
        // A tray gets its picture before it shows; without one none is drawn.
        QTRY_COMPARE(app->trayIcon()->icon().isNull(), !QSystemTrayIcon::isSystemTrayAvailable());
        StatusObserver observer;
        const QImage plain = observer.render(22).toImage();
        observer.setDotColor(QColor(0, 245, 255));
        const QImage dotted = observer.render(22).toImage();
        QVERIFY(plain != dotted);
        QCOMPARE(plain.pixelColor(20, 1).alpha(), 0); // no dot without a colour
        brimlark::test::saveScreenshot(observer.render(64).toImage(), QStringLiteral("tray-label-with-dot"));
        brimlark::test::saveScreenshot(StatusObserver().render(64).toImage(), QStringLiteral("tray-label"));
    }
};

BRIMLARK_TEST_MAIN(TestBrimlarkApp)
#include "tst_brimlarkapp.moc"
