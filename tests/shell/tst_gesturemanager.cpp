#include "Brimlark/core/AppState.h"
#include "Brimlark/core/InteractionEngine.h"
#include "Brimlark/shell/GestureManager.h"
#include "platform/fake/FakeGlobalInput.h"
#include "platform/fake/FakeScreens.h"
#include "tests/support/StateFixture.h"
#include "tests/support/TestMain.h"

#include <QPlainTextEdit>
#include <QWheelEvent>
#include <QWidget>
#include <QWindow>

#include <memory>

using Mode = InteractionEngine::Mode;
using namespace std::chrono_literals;

namespace {
// The centre of the stand-in notch on a 1920 × 1080 screen.
const QPoint overNotch(960, 10);

ScrollSample precise(double dx, double dy, ScrollSample::Phase phase = ScrollSample::Phase::changed) {
    ScrollSample sample;
    sample.position = overNotch;
    sample.delta = QPointF(dx, dy);
    sample.hasPreciseDeltas = true;
    sample.phase = phase;
    return sample;
}

ScrollSample wheelTick(double lines) {
    ScrollSample sample;
    sample.position = overNotch;
    sample.delta = QPointF(0, lines);
    return sample;
}
} // namespace

class TestGestureManager : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<StateFixture> f;
    std::unique_ptr<InteractionEngine> m_engine;
    std::unique_ptr<FakeScreens> m_screens;
    std::unique_ptr<FakeGlobalInput> m_input;
    std::unique_ptr<GestureManager> m_gestures;
    int m_prev = 0;
    int m_next = 0;

    // A whole trackpad swipe: deltas, then the ended phase.
    void swipe(double dx, double dy) {
        m_gestures->handleScroll(precise(dx, dy, ScrollSample::Phase::began));
        m_gestures->handleScroll(precise(dx, dy));
        m_gestures->handleScroll(precise(0, 0, ScrollSample::Phase::ended));
    }

private slots:
    void init() {
        f = std::make_unique<StateFixture>();
        m_engine = std::make_unique<InteractionEngine>(f->appState, &f->clock);
        m_screens = std::make_unique<FakeScreens>();
        m_screens->setScreens({FakeScreens::plain(QStringLiteral("main"), QRect(0, 0, 1920, 1080)),
                               FakeScreens::plain(QStringLiteral("right"), QRect(1920, 0, 1280, 1024))});
        m_input = std::make_unique<FakeGlobalInput>();
        m_prev = m_next = 0;
        m_gestures = std::make_unique<GestureManager>(
            *m_engine, [this] { ++m_prev; }, [this] { ++m_next; }, [] { return 6; }, *m_screens, &f->clock);
        m_gestures->installMonitors(m_input.get());
        f->clock.advance(1s);
    }
    void cleanup() {
        m_gestures.reset();
        m_input.reset();
        m_engine.reset();
    }

    // A wheel without pixel deltas: each notch is a step of its own, the next one after the
    // cooldown steps again.
    void oneWheelNotchIsOneStep_data() {
        QTest::addColumn<Mode>("mode");
        QTest::addColumn<QPointF>("lines");
        QTest::addColumn<Mode>("expected");
        QTest::addColumn<int>("prev");
        QTest::addColumn<int>("next");
        const QPointF up(0, 1), down(0, -1), left(1, 0), right(-1, 0);
        QTest::newRow("up over the closed notch opens basic")
            << Mode::hidden() << up << Mode::basic() << 0 << 0;
        QTest::newRow("up again opens advanced") << Mode::basic() << up << Mode::advanced(2) << 0 << 0;
        QTest::newRow("down from basic closes") << Mode::basic() << down << Mode::hidden() << 0 << 0;
        QTest::newRow("down from advanced goes to basic")
            << Mode::advanced(4) << down << Mode::basic() << 0 << 0;
        QTest::newRow("sideways in basic: previous track")
            << Mode::basic() << left << Mode::basic() << 1 << 0;
        QTest::newRow("sideways in basic: next track") << Mode::basic() << right << Mode::basic() << 0 << 1;
        QTest::newRow("sideways in advanced pages")
            << Mode::advanced(4) << right << Mode::advanced(5) << 0 << 0;
        QTest::newRow("down over the closed notch") << Mode::hidden() << down << Mode::hidden() << 0 << 0;
    }
    void oneWheelNotchIsOneStep() {
        QFETCH(Mode, mode);
        QFETCH(QPointF, lines);
        QFETCH(Mode, expected);
        QFETCH(int, prev);
        QFETCH(int, next);
        f->appState.setLastAdvancedPage(2);
        m_engine->setMode(mode);
        ScrollSample notch = wheelTick(0);
        notch.delta = lines;
        m_gestures->handleScroll(notch);
        QCOMPARE(m_engine->mode(), expected);
        QCOMPARE(m_prev, prev);
        QCOMPARE(m_next, next);
        QVERIFY(!m_gestures->inActiveGesture());
        // A second notch within the cooldown is a fast spin's, and does nothing more.
        f->clock.advance(100ms);
        m_engine->setMode(mode);
        m_gestures->handleScroll(notch);
        QCOMPARE(m_engine->mode(), mode);
        f->clock.advance(100ms);
        m_gestures->handleScroll(notch);
        QCOMPARE(m_engine->mode(), expected);
    }

    void deltasThatFeedNoAxis_data() {
        QTest::addColumn<ScrollSample>("sample");
        QTest::newRow("diagonal 10/10") << precise(10, 10);
        QTest::newRow("noise") << precise(4, 0);
        ScrollSample momentum = precise(0, 60);
        momentum.momentum = true;
        QTest::newRow("momentum") << momentum;
    }
    void deltasThatFeedNoAxis() {
        QFETCH(ScrollSample, sample);
        for (int i = 0; i < 5; ++i)
            m_gestures->handleScroll(sample);
        QCOMPARE(m_gestures->accumulatedX(), 0.0);
        QCOMPARE(m_gestures->accumulatedY(), 0.0);
        QCOMPARE(m_engine->mode(), Mode::hidden());
    }

    void theCooldownSpansGestures() {
        f->appState.setLastAdvancedPage(2);
        swipe(0, 30);
        QCOMPARE(m_engine->mode(), Mode::basic());
        f->clock.advance(180ms);
        swipe(0, 30);
        QCOMPARE(m_engine->mode(), Mode::basic());
        f->clock.advance(1ms);
        swipe(0, 30);
        QCOMPARE(m_engine->mode(), Mode::advanced(2));
        QCOMPARE(m_engine->lastOpenTrigger(), InteractionEngine::InteractionTrigger::gesture);
    }

    void oneStepPerGestureHorizontalFirst() {
        m_engine->setMode(Mode::advanced(1));
        m_gestures->handleScroll(precise(0, -20));
        m_gestures->handleScroll(precise(-40, 0));
        QCOMPARE(m_engine->mode(), Mode::advanced(2));
        m_gestures->handleScroll(precise(0, -20)); // the vertical total passes 28, but a step has fired
        QCOMPARE(m_engine->mode(), Mode::advanced(2));
        QVERIFY(m_gestures->inActiveGesture());
    }

    void horizontalStepsByMode_data() {
        QTest::addColumn<Mode>("mode");
        QTest::addColumn<double>("dx");
        QTest::addColumn<Mode>("expected");
        QTest::addColumn<int>("prev");
        QTest::addColumn<int>("next");
        QTest::newRow("basic, positive: previous track") << Mode::basic() << 30.0 << Mode::basic() << 1 << 0;
        QTest::newRow("basic, negative: next track") << Mode::basic() << -30.0 << Mode::basic() << 0 << 1;
        QTest::newRow("advanced, positive: previous page")
            << Mode::advanced(0) << 30.0 << Mode::advanced(5) << 0 << 0;
        QTest::newRow("advanced, negative: next page")
            << Mode::advanced(5) << -30.0 << Mode::advanced(0) << 0 << 0;
        QTest::newRow("hidden: nothing") << Mode::hidden() << 30.0 << Mode::hidden() << 0 << 0;
    }
    void horizontalStepsByMode() {
        QFETCH(Mode, mode);
        QFETCH(double, dx);
        QFETCH(Mode, expected);
        QFETCH(int, prev);
        QFETCH(int, next);
        m_engine->setMode(mode);
        swipe(dx, 0);
        QCOMPARE(m_engine->mode(), expected);
        QCOMPARE(m_prev, prev);
        QCOMPARE(m_next, next);
    }

    void verticalStepsDownAndTheCloseSuppressesHover() {
        m_engine->setMode(Mode::advanced(3));
        swipe(0, -30);
        QCOMPARE(m_engine->mode(), Mode::basic());
        f->clock.advance(200ms);
        m_engine->setLastOpenTrigger(InteractionEngine::InteractionTrigger::click);
        swipe(0, -30);
        QCOMPARE(m_engine->mode(), Mode::hidden());
        QVERIFY(!m_engine->lastOpenTrigger().has_value());
        QVERIFY(m_engine->suppressHoverActivationUntilExit());
        f->clock.advance(200ms);
        swipe(0, -30); // nothing below hidden
        QCOMPARE(m_engine->mode(), Mode::hidden());
    }

    void aGestureEnds_data() {
        QTest::addColumn<int>("how");
        QTest::newRow("by the ended phase") << 0;
        QTest::newRow("by small deltas") << 1;
        QTest::newRow("by a pause") << 2;
    }
    void aGestureEnds() {
        QFETCH(int, how);
        m_gestures->handleScroll(precise(0, 30));
        QVERIFY(m_gestures->inActiveGesture());
        if (how == 0)
            m_gestures->handleScroll(precise(0, 10, ScrollSample::Phase::ended));
        else if (how == 1)
            m_gestures->handleScroll(precise(1, 3));
        else
            f->clock.advance(GestureManager::idleGap);
        QVERIFY(!m_gestures->inActiveGesture());
        QCOMPARE(m_gestures->accumulatedY(), 0.0);
        // So the next wheel gesture, after the cooldown, steps again.
        f->clock.advance(200ms);
        for (int tick = 0; tick < 4; ++tick)
            m_gestures->handleScroll(wheelTick(1));
        QCOMPARE(m_engine->mode(), Mode::advanced(0));
    }

    void globalScrollsCountOnlyInTheNotchZone() {
        ScrollSample far = wheelTick(1);
        far.position = QPoint(960, 400);
        for (int i = 0; i < 4; ++i)
            emit m_input->scrolled(far);
        QCoreApplication::processEvents();
        QCOMPARE(m_engine->mode(), Mode::hidden());

        ScrollSample edge = wheelTick(1);
        edge.position = QPoint(860 - 28, 32 + 17); // inside the grown zone's corner
        for (int i = 0; i < 4; ++i)
            emit m_input->scrolled(edge);
        QTRY_COMPARE(m_engine->mode(), Mode::basic());
        // Without a notch anywhere the zone stays on the main screen.
        QVERIFY(!m_gestures->isInNotchZone(QPoint(1920 + 640, 5)));
        QVERIFY(!m_gestures->isInNotchZone(QPoint(860 - 29, 10)));
    }

    void aClockSetBackDoesNotHoldTheCooldown() {
        swipe(0, 30);
        QCOMPARE(m_engine->mode(), Mode::basic());
        f->clock.setNow(f->clock.now().addSecs(-3600));
        f->clock.advance(1s);
        swipe(0, -30);
        QCOMPARE(m_engine->mode(), Mode::hidden());
    }

    void partNotchesOfAHighResolutionWheelAddUp() {
        QWidget panel;
        panel.setGeometry(598, 0, 724, 388);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        m_gestures->setObservedWindow(&panel);
        m_engine->setMode(Mode::basic());
        const auto wheel = [&panel](int angle) {
            const QPointF global(900, 300);
            QWheelEvent event(panel.mapFromGlobal(global), global, QPoint(0, 0), QPoint(0, angle),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(panel.windowHandle(), &event);
        };
        // Eighth notches: seven of them are no notch yet, the eighth is one.
        for (int i = 0; i < 7; ++i)
            wheel(15);
        QCOMPARE(m_engine->mode(), Mode::basic());
        wheel(15);
        QCOMPARE(m_engine->mode(), Mode::advanced(0));

        // A pause drops the parts gathered so far.
        m_engine->setMode(Mode::basic());
        f->clock.advance(1s);
        for (int i = 0; i < 7; ++i)
            wheel(15);
        f->clock.advance(1s);
        wheel(15);
        QCOMPARE(m_engine->mode(), Mode::basic());
    }

    void aNotchOverAScrollingViewScrollsIt() {
        QWidget panel;
        panel.setGeometry(598, 0, 724, 388);
        auto* notes = new QPlainTextEdit(&panel);
        notes->setGeometry(20, 100, 300, 120);
        notes->setPlainText(QStringLiteral("a line\n").repeated(40));
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        m_gestures->setObservedWindow(&panel);
        m_engine->setMode(Mode::advanced(0));
        const auto notch = [&panel](const QPoint& global) {
            QWheelEvent event(panel.mapFromGlobal(QPointF(global)), QPointF(global), QPoint(0, 0),
                              QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(panel.windowHandle(), &event);
        };
        notch(panel.mapToGlobal(notes->geometry().center()));
        QCOMPARE(m_engine->mode(), Mode::advanced(0));
        notch(panel.mapToGlobal(QPoint(500, 300)));
        QCOMPARE(m_engine->mode(), Mode::basic());
    }

    void ownWindowsScrollThroughTheLocalMonitor() {
        QWidget panel;
        panel.setGeometry(598, 0, 724, 388);
        panel.show();
        QWidget other;
        other.setGeometry(100, 500, 200, 200);
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        m_gestures->setObservedWindow(&panel);
        const auto wheel = [](QWidget& target, const QPoint& global, int dy) {
            QWheelEvent event(target.mapFromGlobal(QPointF(global)), QPointF(global), QPoint(0, dy),
                              QPoint(0, 0), Qt::NoButton, Qt::NoModifier, Qt::ScrollUpdate, false);
            QCoreApplication::sendEvent(target.windowHandle(), &event);
        };
        wheel(panel, overNotch, 30);
        QCOMPARE(m_engine->mode(), Mode::basic());

        f->clock.advance(1s);
        wheel(other, QPoint(150, 550), -30); // another window of ours, panel open: not ours to step
        QCOMPARE(m_engine->mode(), Mode::basic());
        wheel(panel, QPoint(900, 300), 0);
        wheel(panel, QPoint(900, 300), -30); // inside the open panel, far below the notch
        QCOMPARE(m_engine->mode(), Mode::hidden());

        m_gestures->stop();
        f->clock.advance(1s);
        wheel(panel, overNotch, 30);
        QCOMPARE(m_engine->mode(), Mode::hidden());
    }
};

BRIMLARK_TEST_MAIN(TestGestureManager)
#include "tst_gesturemanager.moc"
