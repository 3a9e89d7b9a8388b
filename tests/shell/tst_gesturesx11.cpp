#include "Brimlark/shell/AppCoordinator.h"
#include "Brimlark/shell/NotchWindowManager.h"
#include "platform/linux/desktop/QtScreens.h"
#include "platform/linux/x11/GlobalInputFactory.h"
#include "tests/support/RequiredServers.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestMain.h"
#include "tests/support/X11Desktop.h"

#include <QScreen>
#include <QWindow>

#include <memory>

using Mode = InteractionEngine::Mode;

// On a real X server: mouse-wheel notches sent as another user's input, with the pointer over the
// notch, step the panel up to basic and advanced and back down to closed, one notch a step.
class TestGesturesX11 : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<X11Desktop> m_x;

    bool moveTo(const QPoint& position) {
        m_x->movePointer(position);
        return QTest::qWaitFor([&] { return QCursor::pos() == position; }, X11Desktop::timeoutMs);
    }
    // One notch of the wheel: a click of button 4 (up) or 5 (down).
    void wheel(bool up) { m_x->clickButton(up ? 4 : 5); }

private slots:
    void initTestCase() {
        BRIMLARK_REQUIRE_SERVER(X11Desktop::available(), X11Desktop::server);
        m_x = std::make_unique<X11Desktop>();
        QVERIFY(m_x->connected());
    }
    void cleanupTestCase() { m_x.reset(); }

    void wheelOverTheNotchStepsThePanel() {
        ServiceFixture f;
        QtScreens screens;
        std::unique_ptr<GlobalInput> input = createGlobalInput();
        AppCoordinator::Platform platform = f.platform();
        platform.screens = &screens;
        platform.globalInput = input.get();
        platform.clock = Clock::system(); // the gesture's cooldown and idle gap run in real time
        AppCoordinator coordinator(f.services(), platform);
        coordinator.start();
        NotchPanel* panel = coordinator.notchWindowManager()->panel();
        QVERIFY(QTest::qWaitForWindowExposed(panel, X11Desktop::timeoutMs));

        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QVERIFY(moveTo(QPoint(screen.center().x(), screen.top() + 10)));
        InteractionEngine& engine = coordinator.interactionEngine();
        // Hovering would open basic too; only the wheel may move the panel here.
        f.appState.setHoverToPeekEnabled(false);

        wheel(true);
        QTRY_COMPARE(engine.mode(), Mode::basic());
        QTest::qWait(400);
        wheel(true);
        QTRY_COMPARE(engine.mode(), Mode::advanced(f.appState.lastAdvancedPage()));
        QTest::qWait(400);
        wheel(false);
        QTRY_COMPARE(engine.mode(), Mode::basic());
        QTest::qWait(400);
        wheel(false);
        QTRY_COMPARE(engine.mode(), Mode::hidden());
        QVERIFY(engine.suppressHoverActivationUntilExit());
        coordinator.stop();
    }
};

BRIMLARK_TEST_MAIN(TestGesturesX11)
#include "tst_gesturesx11.moc"
