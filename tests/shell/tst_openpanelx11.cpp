#include "Brimlark/pages/AdvancedModeView.h"
#include "Brimlark/pages/BasicModeView.h"
#include "Brimlark/quickactions/InlineCalculatorPopover.h"
#include "Brimlark/quickactions/QuickActionButton.h"
#include "Brimlark/quickactions/QuickActionsRow.h"
#include "Brimlark/shell/AppCoordinator.h"
#include "Brimlark/shell/NotchWindowManager.h"
#include "Brimlark/surface/NotchRootView.h"
#include "platform/linux/QtScreens.h"
#include "platform/linux/X11DesktopWindows.h"
#include "platform/linux/X11GlobalInput.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestMain.h"

#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>

#include <xcb/xcb.h>
#include <xcb/xtest.h>

// The open panel driven as a user would on an X server under a window manager: the calculator
// quick action answers what is typed on the keyboard, and Ctrl+Right pages advanced mode.
class TestOpenPanelX11 : public QObject {
    Q_OBJECT

    using Mode = InteractionEngine::Mode;

    // Keycodes of Xvfb's default map.
    static constexpr int key2 = 11;
    static constexpr int keyEquals = 21; // "+" with Shift
    static constexpr int keyReturn = 36;
    static constexpr int keyControl = 37;
    static constexpr int keyShift = 50;
    static constexpr int keyRight = 114;

    xcb_connection_t* m_x = nullptr;
    xcb_window_t m_root = 0;
    QProcess m_windowManager;
    std::unique_ptr<ServiceFixture> m_fixture;
    std::unique_ptr<QtScreens> m_screens;
    std::unique_ptr<X11GlobalInput> m_input;
    std::unique_ptr<X11DesktopWindows> m_desktop;
    std::unique_ptr<AppCoordinator> m_coordinator;

    void fake(uint8_t type, int detail) {
        xcb_test_fake_input(m_x, type, static_cast<uint8_t>(detail), XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    }
    void click(const QPoint& position) {
        xcb_test_fake_input(m_x, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, m_root,
                            static_cast<int16_t>(position.x()), static_cast<int16_t>(position.y()), 0);
        xcb_flush(m_x);
        QTest::qWait(50);
        fake(XCB_BUTTON_PRESS, 1);
        fake(XCB_BUTTON_RELEASE, 1);
        xcb_flush(m_x);
    }
    // Types `keycode`, holding `modifier` (a keycode, 0 for none) around it.
    void type(int keycode, int modifier = 0) {
        if (modifier)
            fake(XCB_KEY_PRESS, modifier);
        fake(XCB_KEY_PRESS, keycode);
        fake(XCB_KEY_RELEASE, keycode);
        if (modifier)
            fake(XCB_KEY_RELEASE, modifier);
        xcb_flush(m_x);
        QTest::qWait(30);
    }
    InteractionEngine& engine() { return m_coordinator->interactionEngine(); }
    NotchWindowManager* manager() { return m_coordinator->notchWindowManager(); }
    QWidget* modeView() { return manager()->hostingView()->modeView(); }

private slots:
    void initTestCase() {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X server");
        const QString openbox = QStandardPaths::findExecutable(QStringLiteral("openbox"));
        if (openbox.isEmpty())
            QSKIP("needs openbox (scripts/install-deps.sh)");
        m_x = xcb_connect(nullptr, nullptr);
        QVERIFY(m_x && !xcb_connection_has_error(m_x));
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_x)).data->root;
        m_windowManager.start(openbox, {QStringLiteral("--sm-disable")});
        QVERIFY(m_windowManager.waitForStarted());
        QTest::qWait(500);
    }
    void cleanupTestCase() {
        if (m_windowManager.state() != QProcess::NotRunning) {
            m_windowManager.terminate();
            m_windowManager.waitForFinished(5000);
        }
        if (m_x)
            xcb_disconnect(m_x);
    }

    void init() {
        m_fixture = std::make_unique<ServiceFixture>();
        m_fixture->accessibility.setReduceMotion(true);
        m_screens = std::make_unique<QtScreens>();
        m_input = X11GlobalInput::create();
        QVERIFY(m_input);
        m_desktop = std::make_unique<X11DesktopWindows>();
        AppCoordinator::Platform platform = m_fixture->platform();
        platform.screens = m_screens.get();
        platform.clock = Clock::system();
        platform.globalInput = m_input.get();
        platform.desktopWindows = m_desktop.get();
        m_coordinator = std::make_unique<AppCoordinator>(m_fixture->services(), platform);
        m_coordinator->start();
        QVERIFY(QTest::qWaitForWindowExposed(manager()->panel()));
    }
    void cleanup() {
        if (m_coordinator)
            m_coordinator->stop();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_coordinator.reset();
        m_desktop.reset();
        m_input.reset();
        m_screens.reset();
        m_fixture.reset();
        QTest::qWait(100);
    }

    void calculatorAnswersTypedKeys() {
        engine().setMode(Mode::basic());
        QTRY_VERIFY(qobject_cast<BasicModeView*>(modeView()));
        auto* basic = qobject_cast<BasicModeView*>(modeView());
        QTest::qWait(300); // the panel settles open
        QuickActionButton* calculator = basic->row()->button(QuickAction::Kind::calculator);
        QVERIFY(calculator);
        click(calculator->mapToGlobal(calculator->rect().center()));
        QTRY_COMPARE(basic->inlineUtility(), BasicModeView::InlineUtility::calculator);
        auto* card = qobject_cast<InlineCalculatorPopover*>(basic->inlineWidget());
        QVERIFY(card);
        QTRY_VERIFY(card->field()->hasFocus());
        type(key2);
        type(keyEquals, keyShift);
        type(key2);
        type(keyReturn);
        QTRY_COMPARE(card->field()->text(), QStringLiteral("2+2"));
        QTRY_COMPARE(card->answerLine()->text(), QStringLiteral("4"));
        QCOMPARE(basic->calculatorResult(), QStringLiteral("4"));
    }

    void controlRightPagesAdvancedMode() {
        engine().setMode(Mode::advanced(1));
        QTRY_VERIFY(qobject_cast<AdvancedModeView*>(modeView()));
        QTest::qWait(300);
        // A click on the header's empty middle gives the panel the keyboard.
        auto* advanced = qobject_cast<AdvancedModeView*>(modeView());
        click(advanced->mapToGlobal(QPoint(advanced->width() / 2, advanced->height() / 2)));
        QTRY_VERIFY(manager()->panel()->isActiveWindow());
        type(keyRight, keyControl);
        QTRY_COMPARE(engine().mode(), Mode::advanced(2));
        type(keyRight, keyControl);
        QTRY_COMPARE(engine().mode(), Mode::advanced(3));
        type(keyRight);
        QTest::qWait(100);
        QCOMPARE(engine().mode(), Mode::advanced(3));
    }
};

BRIMLARK_TEST_MAIN(TestOpenPanelX11)
#include "tst_openpanelx11.moc"
