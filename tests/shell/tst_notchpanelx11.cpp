#include "Brimlark/shell/AppCoordinator.h"
#include "Brimlark/shell/NotchWindowManager.h"
#include "platform/linux/desktop/QtScreens.h"
#include "tests/support/RequiredServers.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestMain.h"
#include "tests/support/X11Desktop.h"

#include <QScreen>
#include <QWindow>

// On a real X server: the panel is mapped at the top centre of the screen in the closed notch's
// size and grows in place when opened.
class TestNotchPanelX11 : public QObject {
    Q_OBJECT
private slots:
    void panelHangsFromTheTopCentreOfTheScreen() {
        BRIMLARK_REQUIRE_SERVER(X11Desktop::available(), X11Desktop::server);
        ServiceFixture f;
        QtScreens screens;
        AppCoordinator::Platform platform = f.platform();
        platform.screens = &screens;
        AppCoordinator coordinator(f.services(), platform);
        coordinator.start();
        NotchPanel* panel = coordinator.notchWindowManager()->panel();
        QVERIFY(QTest::qWaitForWindowExposed(panel, X11Desktop::timeoutMs));
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        const QRect expected(screen.left() + (screen.width() - 200) / 2, screen.top(), 200, 32);
        QTRY_COMPARE(panel->windowHandle()->geometry(), expected);

        coordinator.interactionEngine().setMode(InteractionEngine::Mode::basic());
        QTRY_COMPARE(panel->windowHandle()->geometry().size(), QSize(724, 388));
        QCOMPARE(panel->windowHandle()->geometry().top(), screen.top());
        coordinator.stop();
    }
};

BRIMLARK_TEST_MAIN(TestNotchPanelX11)
#include "tst_notchpanelx11.moc"
