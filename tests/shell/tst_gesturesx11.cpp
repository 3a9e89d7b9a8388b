#include "Brimlark/shell/AppCoordinator.h"
#include "Brimlark/shell/NotchWindowManager.h"
#include "platform/linux/GlobalInputFactory.h"
#include "platform/linux/QtScreens.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestMain.h"

#include <QScreen>
#include <QWindow>

#include <xcb/xcb.h>
#include <xcb/xtest.h>

using Mode = InteractionEngine::Mode;

// On a real X server: mouse-wheel clicks sent as another user's input, with the pointer over the
// notch, step the panel up to basic and advanced and back down to closed.
class TestGesturesX11 : public QObject {
    Q_OBJECT
private:
    xcb_connection_t* m_x = nullptr;
    xcb_window_t m_root = 0;

    void moveTo(const QPoint& position) {
        xcb_test_fake_input(m_x, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, m_root,
                            static_cast<int16_t>(position.x()), static_cast<int16_t>(position.y()), 0);
        xcb_flush(m_x);
        QTRY_COMPARE(QCursor::pos(), position);
    }
    // One wheel gesture: four clicks up (button 4) or down (button 5), then a pause longer than
    // the gesture's idle gap and the cooldown.
    void wheel(bool up) {
        const quint8 button = up ? 4 : 5;
        for (int click = 0; click < 4; ++click) {
            xcb_test_fake_input(m_x, XCB_BUTTON_PRESS, button, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
            xcb_test_fake_input(m_x, XCB_BUTTON_RELEASE, button, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        }
        xcb_flush(m_x);
    }

private slots:
    void initTestCase() {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X server");
        m_x = xcb_connect(nullptr, nullptr);
        QVERIFY(m_x && !xcb_connection_has_error(m_x));
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_x)).data->root;
    }
    void cleanupTestCase() {
        if (m_x)
            xcb_disconnect(m_x);
    }

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
        QVERIFY(QTest::qWaitForWindowExposed(panel));

        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        moveTo(QPoint(screen.center().x(), screen.top() + 10));
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
