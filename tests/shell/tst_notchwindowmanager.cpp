#include "Brimlark/controls/TimerPickerPopover.h"
#include "Brimlark/core/NotchGeometry.h"
#include "Brimlark/organizer/CalendarService.h"
#include "Brimlark/organizer/RemindersService.h"
#include "Brimlark/quickactions/QuickActionButton.h"
#include "Brimlark/shell/NotchWindowManager.h"
#include "Brimlark/surface/NotchHalo.h"
#include "platform/fake/FakeDesktopWindows.h"
#include "tests/support/EventCounter.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestMain.h"

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>

using Mode = InteractionEngine::Mode;

class TestNotchWindowManager : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<ServiceFixture> f;
    std::unique_ptr<InteractionEngine> engine;
    std::unique_ptr<CalendarService> calendar;
    std::unique_ptr<RemindersService> reminders;
    std::unique_ptr<FakeDesktopWindows> desktop;
    std::unique_ptr<NotchWindowManager> manager;
    QPointer<NotchHalo> halo;
    bool hasStatus = false;
    int settingsOpened = 0;

    // With `glow`, a glow view and a pretend desktop.
    void build(bool glow = false) {
        manager.reset();
        NotchRootView::Inputs inputs;
        inputs.interactionEngine = engine.get();
        inputs.hasCompactStatus = [this] { return hasStatus; };
        inputs.onOpenSettings = [this] { ++settingsOpened; };
        if (glow) {
            desktop = std::make_unique<FakeDesktopWindows>();
            inputs.makeHaloView = [this](QWidget* parent, std::function<bool()> notched) {
                halo = new NotchHalo(&f->accessibility, std::move(notched), parent);
                return halo.data();
            };
        }
        manager = std::make_unique<NotchWindowManager>(f->services(), inputs, f->screens, f->globalInput,
                                                       desktop.get());
        manager->setup();
    }

    // Runs the queued observers and lets a running animation finish.
    void settle() {
        QTRY_COMPARE(manager->panel()->geometry(), manager->targetFrame());
        QTRY_COMPARE(manager->panel()->windowOpacity(), 1.0);
    }

    void movePointer(const QPoint& position) {
        f->globalInput.movePointer(position);
        QCoreApplication::processEvents();
    }

    void clickOutside(Qt::MouseButton button, const QPoint& position) {
        emit f->globalInput.mouseDownOutside(button, position);
        QCoreApplication::processEvents();
    }

private slots:
    void init() {
        f = std::make_unique<ServiceFixture>();
        engine = std::make_unique<InteractionEngine>(f->appState, &f->clock);
        calendar = std::make_unique<CalendarService>(f->permissionsCoordinator);
        reminders = std::make_unique<RemindersService>(f->permissionsCoordinator);
        f->setOrganizer(calendar.get(), reminders.get());
        hasStatus = false;
        settingsOpened = 0;
        build();
    }
    void cleanup() {
        manager.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        desktop.reset();
        reminders.reset();
        calendar.reset();
        engine.reset();
        f.reset();
    }

    void setupHangsTheClosedNotchAtTheTopCentre() {
        QVERIFY(f->globalInput.started);
        QVERIFY(manager->panel()->isVisible());
        QCOMPARE(manager->panel()->geometry(), QRect(860, 0, 200, 32));
        QCOMPARE(manager->hostingView()->size(), QSize(200, 32));
    }

    void sizesFollowTheMode_data() {
        QTest::addColumn<Mode>("mode");
        QTest::addColumn<bool>("status");
        QTest::addColumn<bool>("notched");
        QTest::addColumn<QSize>("size");
        QTest::newRow("advanced") << Mode::advanced(3) << false << false << QSize(720, 468);
        QTest::newRow("basic") << Mode::basic() << true << false << QSize(724, 388);
        QTest::newRow("closed with a live status") << Mode::hidden() << true << false << QSize(356, 102);
        QTest::newRow("peek with a live status") << Mode::peek() << true << true << QSize(356, 102);
        QTest::newRow("closed, plain screen") << Mode::hidden() << false << false << QSize(200, 32);
        QTest::newRow("closed, notched screen") << Mode::hidden() << false << true << QSize(185, 32);
    }
    void sizesFollowTheMode() {
        QFETCH(Mode, mode);
        QFETCH(bool, status);
        QFETCH(bool, notched);
        QFETCH(QSize, size);
        if (notched) {
            f->screens.setScreens({FakeScreens::notchedLaptop()});
            QCoreApplication::processEvents();
        }
        hasStatus = status;
        manager->applyMode(mode, false);
        QCOMPARE(manager->panel()->size(), size);
        const ScreenDescription screen = *manager->currentScreen();
        QCOMPARE(manager->panel()->geometry().top(), screen.frame.top());
        const double centre = manager->panel()->geometry().x() + size.width() / 2.0;
        QVERIFY(qAbs(centre - (screen.frame.x() + screen.frame.width() / 2.0)) <= 0.5);
    }

    void liveStatusResizesTheClosedPanelAnimated() {
        hasStatus = true;
        manager->refreshClosedFrame();
        QCOMPARE(manager->targetFrame().size(), QSize(356, 102));
        QVERIFY(manager->panel()->geometry() != manager->targetFrame()); // still moving
        settle();
        hasStatus = false;
        f->timer.start(60); // any observed value re-sizes the closed panel on the next turn
        f->timer.cancel();
        QTRY_COMPARE(manager->targetFrame().size(), QSize(200, 32));
        settle();
        // An open panel keeps its size when the status changes.
        manager->applyMode(Mode::basic(), false);
        hasStatus = true;
        manager->refreshClosedFrame();
        QCOMPARE(manager->panel()->size(), QSize(724, 388));
    }

    // Hook events arrive in bursts and the live status publishes every second; while the closed
    // panel's frame stays, the window is not moved, resized, raised or faded for any of them.
    void statusBurstLeavesASettledPanelAlone() {
        hasStatus = true;
        manager->refreshClosedFrame();
        settle();
        NotchPanel* panel = manager->panel();
        EventCounter moves(QEvent::Move), resizes(QEvent::Resize), raises(QEvent::ZOrderChange);
        for (EventCounter* counter : {&moves, &resizes, &raises})
            panel->installEventFilter(counter);
        QSignalSpy fades(panel, &NotchPanel::opacityChanged);
        const auto working = [] {
            HookEvent event;
            event.id = QUuid::createUuid();
            event.source = HookEvent::Source::claude;
            event.status = HookEvent::Status::working;
            event.eventName = QStringLiteral("PreToolUse");
            return event;
        };
        for (int i = 0; i < 100; ++i) {
            f->aiHooks.ingest(working());
            QCoreApplication::processEvents();
        }
        f->timer.start(60);
        f->timer.cancel();
        QTest::qWait(50);
        QCOMPARE(moves.count + resizes.count + raises.count, 0);
        QCOMPARE(fades.count(), 0);

        // The one update that changes the frame moves the panel, once.
        hasStatus = false;
        f->aiHooks.ingest(working());
        QTRY_COMPARE(manager->targetFrame().size(), QSize(200, 32));
        settle();
        QVERIFY(resizes.count > 0);
        const int resized = resizes.count;
        for (int i = 0; i < 20; ++i) {
            f->timer.start(60);
            f->timer.cancel();
        }
        QTest::qWait(50);
        QCOMPARE(resizes.count, resized);
    }

    // The glow lives in a window of its own around the panel: grown by its margin, on screen only
    // while a glow shows, letting clicks through, never focused, an accessory of the desktop, cut to
    // the line when no compositor runs.
    void theGlowHasAWindowAroundThePanel() {
        build(true);
        NotchHaloWindow* window = manager->haloWindow();
        QVERIFY(window && halo);
        QVERIFY(!window->isVisible()); // no glow yet
        QVERIFY(window->windowFlags().testFlag(Qt::WindowTransparentForInput));
        QVERIFY(window->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
        QVERIFY(desktop->accessories.contains(window->windowHandle()));
        QVERIFY(desktop->pointerThrough.contains(window->windowHandle()));

        halo->setActive(ActiveHalo{QUuid::createUuid(), ActiveHalo::Kind::persistent, QColor(Qt::cyan),
                                   HaloSource::hooks, QDateTime::currentDateTimeUtc()});
        QVERIFY(window->isVisible());
        QCOMPARE(window->geometry(), NotchHalo::frameAround(manager->panel()->geometry()));
        QCOMPARE(desktop->shapes.value(window->windowHandle()), QRegion()); // a compositor blends

        hasStatus = true;
        manager->refreshClosedFrame();
        settle();
        QCOMPARE(window->geometry(), NotchHalo::frameAround(manager->panel()->geometry()));
        QCOMPARE(window->windowOpacity(), manager->panel()->windowOpacity());

        desktop->setCompositor(false);
        QVERIFY(!halo->softEdges());
        QCOMPARE(desktop->shapes.value(window->windowHandle()), halo->linePixels());
        QCOMPARE(desktop->shapeParts.value(window->windowHandle()), DesktopWindows::ShapeParts::drawingOnly);
        desktop->setCompositor(true);
        QVERIFY(halo->softEdges());
        QCOMPARE(desktop->shapes.value(window->windowHandle()), QRegion());

        halo->setActive(std::nullopt);
        QVERIFY(!window->isVisible());
    }

    void widePanelStaysInsideANarrowScreen() {
        f->screens.setScreens({FakeScreens::plain(QStringLiteral("Narrow"), QRect(1920, 0, 700, 500))});
        QCoreApplication::processEvents();
        manager->applyMode(Mode::basic(), false);
        QCOMPARE(manager->panel()->geometry().left(), 1920);
        f->screens.setScreens({FakeScreens::plain(QStringLiteral("Wide"), QRect(0, 0, 800, 600))});
        QCoreApplication::processEvents();
        manager->applyMode(Mode::basic(), false);
        QCOMPARE(manager->panel()->geometry(), QRect(38, 0, 724, 388));
    }

    void hoverRegionOfTheClosedNotch() {
        const ScreenDescription screen = *manager->currentScreen();
        QCOMPARE(NotchWindowManager::closedHoverRegion(screen), QRectF(838, -12, 244, 56));
        movePointer({837, 20});
        QVERIFY(!manager->hoverRegionActive());
        movePointer({838, 20});
        QVERIFY(manager->hoverRegionActive());
        QVERIFY(engine->hasPendingHoverActivation());
        movePointer({1081, 43});
        QVERIFY(manager->hoverRegionActive());
        movePointer({1083, 20});
        QVERIFY(!manager->hoverRegionActive());
        QVERIFY(!engine->hasPendingHoverActivation());
    }

    void openPanelCountsItsGrownFrameAsInside() {
        manager->applyMode(Mode::basic(), false);
        engine->setMode(Mode::basic());
        QCoreApplication::processEvents();
        movePointer({598 - 10, 397});
        QVERIFY(manager->hoverRegionActive());
        movePointer({598 - 11, 397});
        QVERIFY(!manager->hoverRegionActive());
        QCOMPARE(engine->mode(), Mode::basic()); // leaving never closes
    }

    void hoverOffNeverReportsInsideAndReportsLeftOnce() {
        movePointer({900, 10});
        QVERIFY(manager->hoverRegionActive());
        f->appState.setHoverToPeekEnabled(false);
        engine->setSuppressHoverActivationUntilExit(true);
        movePointer({901, 10});
        QVERIFY(!manager->hoverRegionActive());
        // hover(false) in the closed mode clears the suppression: it was reported.
        QVERIFY(!engine->suppressHoverActivationUntilExit());
        QVERIFY(!engine->hasPendingHoverActivation());
        engine->setSuppressHoverActivationUntilExit(true);
        movePointer({5, 900});
        movePointer({900, 10});
        QVERIFY(!manager->hoverRegionActive());
        QVERIFY(!engine->hasPendingHoverActivation());
        QVERIFY(engine->suppressHoverActivationUntilExit()); // not reported a second time
    }

    // The margin's press went to the window under the panel (the desktop's own menu): the
    // settings open only from a press on the panel itself.
    void rightClickInTheMarginKeepsThePanelAndOpensNothing() {
        engine->setMode(Mode::basic());
        QCoreApplication::processEvents();
        settle();
        const QRect frame = manager->panel()->geometry();
        clickOutside(Qt::RightButton, {frame.left() - 4, frame.top() + 50});
        QCOMPARE(settingsOpened, 0);
        QCOMPARE(engine->mode(), Mode::basic());
        engine->setMode(Mode::hidden());
        QCoreApplication::processEvents();
        settle();
        const QRect closed = manager->panel()->geometry();
        clickOutside(Qt::RightButton, {closed.right() + 3, closed.top() + 10});
        QCOMPARE(settingsOpened, 0);
        engine->setMode(Mode::basic());
        QCoreApplication::processEvents();
        settle();
        // A left click in the margin is no click outside either.
        clickOutside(Qt::LeftButton, {frame.left() - 3, frame.top() + 50});
        QCOMPARE(engine->mode(), Mode::basic());
    }

    void rightClickOnTheClosedNotchOpensSettings() {
        QTest::mouseClick(manager->panel()->windowHandle(), Qt::RightButton, {}, QPoint(100, 10));
        QCOMPARE(settingsOpened, 1);
        QCOMPARE(engine->mode(), Mode::hidden());
    }

    void rightClickOnTheTimerButtonOpensItsLengthsNotSettings() {
        engine->setMode(Mode::basic());
        QCoreApplication::processEvents();
        settle();
        QuickActionButton* timer = nullptr;
        for (QuickActionButton* button : manager->panel()->findChildren<QuickActionButton*>())
            if (button->kind() == QuickAction::Kind::timer && button->isVisible())
                timer = button;
        QVERIFY(timer);
        const QPoint point = timer->mapTo(manager->panel(), timer->rect().center());
        QTest::mouseClick(manager->panel()->windowHandle(), Qt::RightButton, {}, point);
        QTRY_VERIFY(manager->panel()->findChild<TimerPickerPopover*>());
        QCOMPARE(settingsOpened, 0);
        QCOMPARE(engine->mode(), Mode::basic());
    }

    void clickOutsideClosesOnlyAnOpenPanel_data() {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::newRow("left") << Qt::LeftButton;
        QTest::newRow("right") << Qt::RightButton;
        QTest::newRow("application turned inactive") << Qt::NoButton;
    }
    void clickOutsideClosesOnlyAnOpenPanel() {
        QFETCH(Qt::MouseButton, button);
        clickOutside(button, {100, 700});
        QCOMPARE(engine->mode(), Mode::hidden());
        QCOMPARE(settingsOpened, 0);

        engine->setLastOpenTrigger(InteractionEngine::InteractionTrigger::click);
        engine->setSuppressHoverActivationUntilExit(true);
        engine->setMode(Mode::advanced(2));
        QCoreApplication::processEvents();
        clickOutside(button, {100, 700});
        QCOMPARE(engine->mode(), Mode::hidden());
        QVERIFY(!engine->lastOpenTrigger());
        QVERIFY(!engine->suppressHoverActivationUntilExit());
        QCOMPARE(settingsOpened, 0);
    }

    // Escape that no view of the panel takes (a text field passes it on) closes an open panel,
    // however it opened, and leaves a closed one alone.
    void escapeClosesTheOpenPanel_data() {
        QTest::addColumn<Mode>("mode");
        QTest::addColumn<Mode>("after");
        QTest::newRow("basic") << Mode::basic() << Mode::hidden();
        QTest::newRow("advanced") << Mode::advanced(3) << Mode::hidden();
        QTest::newRow("peek") << Mode::peek() << Mode::peek();
    }
    void escapeClosesTheOpenPanel() {
        QFETCH(Mode, mode);
        QFETCH(Mode, after);
        engine->setLastOpenTrigger(InteractionEngine::InteractionTrigger::shortcut);
        engine->setMode(mode);
        QCoreApplication::processEvents();
        auto* field = new QLineEdit(manager->panel());
        field->show();
        QTest::keyClick(field, Qt::Key_A);
        QCOMPARE(engine->mode(), mode);
        QTest::keyClick(field, Qt::Key_Escape);
        QCOMPARE(engine->mode(), after);
        QCOMPARE(field->text(), QStringLiteral("a"));
    }

    void pointerOnAnotherScreenMovesThePanelAtOnce() {
        f->screens.setScreens({FakeScreens::plain(QStringLiteral("Left"), QRect(0, 0, 1920, 1080)),
                               FakeScreens::plain(QStringLiteral("Right"), QRect(1920, 0, 2560, 1440))});
        QCoreApplication::processEvents();
        movePointer({3000, 700});
        QCOMPARE(manager->currentScreen()->name, QStringLiteral("Right"));
        QCOMPARE(manager->panel()->geometry(), QRect(1920 + 1180, 0, 200, 32));
        QCOMPARE(manager->panel()->windowOpacity(), 1.0);
        // Off every screen: nothing moves, an active hover region is left.
        movePointer({3100, 10});
        QVERIFY(manager->hoverRegionActive());
        movePointer({-50, -50});
        QVERIFY(!manager->hoverRegionActive());
        QCOMPARE(manager->currentScreen()->name, QStringLiteral("Right"));
    }

    void reducedMotionCrossFades_data() {
        QTest::addColumn<bool>("reduceMotion");
        QTest::addColumn<AppState::AnimationIntensity>("intensity");
        QTest::newRow("desktop setting") << true << AppState::AnimationIntensity::expressive;
        QTest::newRow("reduced") << false << AppState::AnimationIntensity::reduced;
    }
    void reducedMotionCrossFades() {
        QFETCH(bool, reduceMotion);
        QFETCH(AppState::AnimationIntensity, intensity);
        f->accessibility.setReduceMotion(reduceMotion);
        f->appState.setAnimationIntensity(intensity);
        const PanelAnimationProfile profile = manager->animationProfile();
        QCOMPARE(profile.duration, 0.16);
        QVERIFY(!profile.shouldAnimateFrame);
        QCOMPARE(profile.crossfadeStartAlpha, 0.78);

        manager->applyMode(Mode::basic(), true);
        QCOMPARE(manager->panel()->geometry(), manager->targetFrame()); // the frame jumps
        QVERIFY(qAbs(manager->panel()->windowOpacity() - 0.78) < 0.01); // stored in 8 bits
        QTRY_COMPARE(manager->panel()->windowOpacity(), 1.0);
    }

    void standardAndExpressiveMoveTheFrame_data() {
        QTest::addColumn<AppState::AnimationIntensity>("intensity");
        QTest::addColumn<double>("duration");
        QTest::addColumn<QPointF>("c1");
        QTest::newRow("standard") << AppState::AnimationIntensity::standard << 0.32 << QPointF(0.25, 1.0);
        QTest::newRow("expressive") << AppState::AnimationIntensity::expressive << 0.42 << QPointF(0.2, 1.0);
    }
    void standardAndExpressiveMoveTheFrame() {
        QFETCH(AppState::AnimationIntensity, intensity);
        QFETCH(double, duration);
        QFETCH(QPointF, c1);
        f->appState.setAnimationIntensity(intensity);
        const PanelAnimationProfile profile = manager->animationProfile();
        QCOMPARE(profile.duration, duration);
        QVERIFY(profile.shouldAnimateFrame);
        QCOMPARE(profile.timingFunction.toCubicSpline().first(), c1);
        manager->applyMode(Mode::advanced(0), true);
        QVERIFY(manager->panel()->geometry() != manager->targetFrame());
        settle();
    }

    void modeChangesReachThePanelOnALaterTurn() {
        engine->setMode(Mode::basic());
        QCOMPARE(manager->panel()->size(), QSize(200, 32)); // not inside setMode
        QTRY_COMPARE(manager->targetFrame().size(), QSize(724, 388));
    }

    // Window 7 is the terminal the user types in. A panel the pointer opened leaves it the
    // keyboard through a click on a control; a click into text, or one that opens a text field,
    // takes it, as every other opening does; closing gives it back.
    void theKeyboardGoesWhereTheUserSendsIt_data() {
        QTest::addColumn<InteractionEngine::InteractionTrigger>("opening");
        QTest::addColumn<QString>("press");
        QTest::addColumn<bool>("takes");
        using Trigger = InteractionEngine::InteractionTrigger;
        QTest::newRow("hover") << Trigger::hover << QString() << false;
        QTest::newRow("hover, then play") << Trigger::hover << QStringLiteral("play") << false;
        QTest::newRow("hover, then into text") << Trigger::hover << QStringLiteral("text") << true;
        QTest::newRow("hover, then the calculator") << Trigger::hover << QStringLiteral("calculator") << true;
        QTest::newRow("click on the notch") << Trigger::click << QString() << true;
        QTest::newRow("shortcut") << Trigger::shortcut << QString() << true;
        QTest::newRow("tray's open advanced") << Trigger::gesture << QString() << true;
    }
    void theKeyboardGoesWhereTheUserSendsIt() {
        QFETCH(InteractionEngine::InteractionTrigger, opening);
        QFETCH(QString, press);
        QFETCH(bool, takes);
        desktop = std::make_unique<FakeDesktopWindows>();
        desktop->focused = 7;
        build();
        NotchPanel* panel = manager->panel();
        QVERIFY(!panel->takesKeyboard());
        engine->setLastOpenTrigger(opening);
        engine->setMode(Mode::basic());
        QCoreApplication::processEvents();
        settle();
        // Stand-ins for the panel's controls and fields, over the views.
        auto* play = new QPushButton(QStringLiteral("play"), panel);
        auto* text = new QLineEdit(panel);
        auto* field = new QLineEdit(panel);
        field->hide();
        auto* calculator = new QPushButton(QStringLiteral("calculator"), panel);
        connect(calculator, &QPushButton::clicked, field, [field] {
            field->show();
            field->setFocus();
        });
        const QHash<QString, QWidget*> targets = {{QStringLiteral("play"), play},
                                                  {QStringLiteral("text"), text},
                                                  {QStringLiteral("calculator"), calculator}};
        int x = 10;
        for (QWidget* target : targets) {
            target->setGeometry(x, 100, 80, 30);
            target->show();
            target->raise();
            x += 100;
        }
        if (QWidget* target = targets.value(press)) {
            QTest::mouseClick(panel->windowHandle(), Qt::LeftButton, {}, target->geometry().center());
            QCoreApplication::processEvents();
        }
        const quint64 panelId = desktop->idOf(panel->windowHandle());
        QCOMPARE(panel->takesKeyboard(), takes);
        QCOMPARE(desktop->focused, takes ? panelId : quint64(7));

        engine->setMode(Mode::hidden());
        QCoreApplication::processEvents();
        QVERIFY(!panel->takesKeyboard());
        QCOMPARE(desktop->focused, quint64(7));
    }

    // Opened from the tray or a shortcut, the advanced panel pages with Ctrl+arrows at once,
    // whichever view of the panel holds the focus then.
    void ctrlArrowsPageAtOnce_data() {
        QTest::addColumn<Mode>("before");
        QTest::newRow("from closed") << Mode::hidden();
        QTest::newRow("from basic") << Mode::basic();
    }
    void ctrlArrowsPageAtOnce() {
        QFETCH(Mode, before);
        desktop = std::make_unique<FakeDesktopWindows>();
        build();
        NotchPanel* panel = manager->panel();
        engine->setLastOpenTrigger(InteractionEngine::InteractionTrigger::click);
        engine->setMode(before);
        QCoreApplication::processEvents();
        engine->setLastOpenTrigger(InteractionEngine::InteractionTrigger::gesture);
        engine->setMode(Mode::advanced(2));
        QCoreApplication::processEvents();
        QTRY_VERIFY(panel->isActiveWindow());
        QTest::keyClick(panel->windowHandle(), Qt::Key_Right, Qt::ControlModifier);
        QTRY_COMPARE(engine->mode(), Mode::advanced(3));
    }

    void vanishingScreensHideThePanelWithoutCrashing() {
        f->screens.setScreens({}, -1, -1);
        QCoreApplication::processEvents();
        QVERIFY(!manager->currentScreen());
        QVERIFY(!manager->panel()->isVisible());
        engine->setMode(Mode::basic());
        QCoreApplication::processEvents();
        movePointer({10, 10});
        QVERIFY(!manager->panel()->isVisible());

        f->screens.setScreens({FakeScreens::plain(QStringLiteral("Back"), QRect(0, 0, 1280, 800))});
        QCoreApplication::processEvents();
        QCOMPARE(manager->currentScreen()->name, QStringLiteral("Back"));
        QVERIFY(manager->panel()->isVisible());
        QCOMPARE(manager->panel()->geometry(), QRect(278, 0, 724, 388));
    }

    void removedScreenIsNotPreferredAgain() {
        ScreenDescription notched = FakeScreens::notchedLaptop();
        ScreenDescription external =
            FakeScreens::plain(QStringLiteral("External"), QRect(1512, 0, 1920, 1080));
        f->screens.setScreens({notched, external});
        QCoreApplication::processEvents();
        QCOMPARE(manager->currentScreen()->name, notched.name);
        f->screens.setScreens({external});
        QCoreApplication::processEvents();
        QCOMPARE(manager->currentScreen()->name, QStringLiteral("External"));
        QCOMPARE(manager->panel()->geometry(), QRect(1512 + 860, 0, 200, 32));
    }

    void teardownStopsWatching() {
        manager->teardown();
        QVERIFY(!f->globalInput.started);
        QVERIFY(!manager->panel());
        engine->setMode(Mode::basic());
        clickOutside(Qt::LeftButton, {5, 900});
        movePointer({900, 10});
        QCOMPARE(engine->mode(), Mode::basic());
        QVERIFY(!manager->hoverRegionActive());
        manager->teardown(); // twice is harmless
    }
};

BRIMLARK_TEST_MAIN(TestNotchWindowManager)
#include "tst_notchwindowmanager.moc"
