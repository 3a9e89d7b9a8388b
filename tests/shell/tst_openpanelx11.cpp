#include "Brimlark/pages/AdvancedModeView.h"
#include "Brimlark/pages/BasicModeView.h"
#include "Brimlark/quickactions/InlineCalculatorPopover.h"
#include "Brimlark/quickactions/QuickActionButton.h"
#include "Brimlark/quickactions/QuickActionsRow.h"
#include "Brimlark/shell/AppCoordinator.h"
#include "Brimlark/shell/NotchWindowManager.h"
#include "Brimlark/surface/NotchRootView.h"
#include "platform/linux/desktop/QtScreens.h"
#include "platform/linux/x11/X11DesktopWindows.h"
#include "platform/linux/x11/X11GlobalInput.h"
#include "tests/support/RequiredServers.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestMain.h"
#include "tests/support/X11Desktop.h"

#include <QLabel>
#include <QLineEdit>

#include <memory>

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

    std::unique_ptr<X11Desktop> m_x;
    std::unique_ptr<ServiceFixture> m_fixture;
    std::unique_ptr<QtScreens> m_screens;
    std::unique_ptr<X11GlobalInput> m_input;
    std::unique_ptr<X11DesktopWindows> m_desktop;
    std::unique_ptr<AppCoordinator> m_coordinator;

    // The coordinator first: its panel reports to the services until it is gone.
    void tearDown() {
        if (m_coordinator)
            m_coordinator->stop();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_coordinator.reset();
        m_desktop.reset();
        m_input.reset();
        m_screens.reset();
        m_fixture.reset();
    }
    InteractionEngine& engine() { return m_coordinator->interactionEngine(); }
    NotchWindowManager* manager() { return m_coordinator->notchWindowManager(); }
    QWidget* modeView() { return manager()->hostingView()->modeView(); }

private slots:
    void initTestCase() {
        BRIMLARK_REQUIRE_SERVER(X11Desktop::available(), X11Desktop::server);
        BRIMLARK_REQUIRE_SERVER(X11Desktop::installed(QStringLiteral("openbox")),
                                "the window manager openbox (scripts/install-deps.sh)");
        m_x = std::make_unique<X11Desktop>();
        QVERIFY(m_x->connected());
        QVERIFY2(m_x->startWindowManager(), qPrintable(m_x->error()));
    }
    void cleanupTestCase() {
        tearDown();
        m_x.reset();
    }

    // Qt runs no cleanup() after a failed init(): whatever a failed start left is torn down
    // here before a new panel is built over fresh services.
    void init() {
        tearDown();
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
        QVERIFY(QTest::qWaitForWindowExposed(manager()->panel(), X11Desktop::timeoutMs));
    }
    void cleanup() {
        tearDown();
        QTest::qWait(100);
    }

    void calculatorAnswersTypedKeys() {
        engine().setMode(Mode::basic());
        QTRY_VERIFY(qobject_cast<BasicModeView*>(modeView()));
        auto* basic = qobject_cast<BasicModeView*>(modeView());
        QTest::qWait(300); // the panel settles open
        QTRY_VERIFY_WITH_TIMEOUT(m_x->placed(manager()->panel()), X11Desktop::timeoutMs);
        QuickActionButton* calculator = basic->row()->button(QuickAction::Kind::calculator);
        QVERIFY(calculator);
        m_x->click(calculator->mapToGlobal(calculator->rect().center()));
        QTRY_COMPARE(basic->inlineUtility(), BasicModeView::InlineUtility::calculator);
        auto* card = qobject_cast<InlineCalculatorPopover*>(basic->inlineWidget());
        QVERIFY(card);
        QTRY_VERIFY_WITH_TIMEOUT(card->field()->hasFocus(), X11Desktop::timeoutMs);
        m_x->typeKey(key2);
        m_x->typeKey(keyEquals, keyShift);
        m_x->typeKey(key2);
        m_x->typeKey(keyReturn);
        QTRY_COMPARE(card->field()->text(), QStringLiteral("2+2"));
        QTRY_COMPARE(card->answerLine()->text(), QStringLiteral("4"));
        QCOMPARE(basic->calculatorResult(), QStringLiteral("4"));
    }

    void controlRightPagesAdvancedMode() {
        engine().setMode(Mode::advanced(1));
        QTRY_VERIFY(qobject_cast<AdvancedModeView*>(modeView()));
        QTest::qWait(300);
        QTRY_VERIFY_WITH_TIMEOUT(m_x->placed(manager()->panel()), X11Desktop::timeoutMs);
        // A click on the header's empty middle gives the panel the keyboard.
        auto* advanced = qobject_cast<AdvancedModeView*>(modeView());
        m_x->click(advanced->mapToGlobal(QPoint(advanced->width() / 2, advanced->height() / 2)));
        QTRY_VERIFY_WITH_TIMEOUT(manager()->panel()->isActiveWindow(), X11Desktop::timeoutMs);
        m_x->typeKey(keyRight, keyControl);
        QTRY_COMPARE(engine().mode(), Mode::advanced(2));
        m_x->typeKey(keyRight, keyControl);
        QTRY_COMPARE(engine().mode(), Mode::advanced(3));
        m_x->typeKey(keyRight);
        QTest::qWait(100);
        QCOMPARE(engine().mode(), Mode::advanced(3));
    }
};

BRIMLARK_TEST_MAIN(TestOpenPanelX11)
#include "tst_openpanelx11.moc"
