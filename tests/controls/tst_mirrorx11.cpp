#include "Brimlark/controls/MirrorWindowManager.h"
#include "Brimlark/shell/AppCoordinator.h"
#include "platform/linux/desktop/QtScreens.h"
#include "platform/linux/x11/X11DesktopWindows.h"
#include "tests/support/RequiredServers.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestMain.h"
#include "tests/support/X11Desktop.h"

#include <QScreen>
#include <QWindow>

#include <memory>

using namespace std::chrono_literals;

// The mirror quick action on a real X server, with the fake camera and the fake clock: the panel
// under the notch is mapped at the top centre with the notch panel's desktop roles, and goes when
// the automatic stop comes.
class TestMirrorX11 : public QObject {
    Q_OBJECT

    std::unique_ptr<X11Desktop> m_x;

private slots:
    void initTestCase() {
        BRIMLARK_REQUIRE_SERVER(X11Desktop::available(), X11Desktop::server);
        m_x = std::make_unique<X11Desktop>();
        QVERIFY(m_x->connected());
        // Without a window manager the hints stay as the program wrote them.
        QVERIFY2(!m_x->windowManagerRunning(), "a window manager is running on this X server");
    }
    void cleanupTestCase() { m_x.reset(); }

    void quickActionShowsThePanelUnderTheNotchUntilTheAutomaticStop() {
        ServiceFixture f;
        QtScreens screens;
        X11DesktopWindows desktop;
        QVERIFY(desktop.isActive());
        AppCoordinator::Platform platform = f.platform();
        platform.screens = &screens;
        platform.desktopWindows = &desktop;
        AppCoordinator coordinator(f.services(), platform);
        coordinator.start();
        QCOMPARE(f.camera.configureCalls, 0);

        coordinator.handleQuickAction(QuickAction::Kind::mirror);
        QTRY_VERIFY(coordinator.mirrorWindows()->popoverPanel());
        QWidget* panel = coordinator.mirrorWindows()->popoverPanel();
        QVERIFY(QTest::qWaitForWindowExposed(panel, X11Desktop::timeoutMs));
        const auto id = static_cast<xcb_window_t>(panel->winId());
        QTRY_VERIFY_WITH_TIMEOUT(m_x->viewable(id), X11Desktop::timeoutMs);
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QCOMPARE(m_x->geometry(id),
                 QRect(screen.left() + (screen.width() - 220) / 2, screen.top() + 38, 220, 140));
        QVERIFY(f.camera.isRunning());

        // On every workspace, above the others, out of the task bar and pager, and never given
        // the keyboard.
        QCOMPARE(m_x->property(id, "_NET_WM_DESKTOP"), QVector<quint32>{0xFFFFFFFFu});
        for (const char* name : {"_NET_WM_STATE_STICKY", "_NET_WM_STATE_ABOVE", "_NET_WM_STATE_SKIP_TASKBAR",
                                 "_NET_WM_STATE_SKIP_PAGER"})
            QVERIFY2(m_x->property(id, "_NET_WM_STATE").contains(m_x->atom(name)), name);
        const QVector<quint32> hints = m_x->property(id, "WM_HINTS");
        QVERIFY(hints.size() >= 2);
        QVERIFY(hints.at(0) & 1u); // the input field is set
        QCOMPARE(hints.at(1), 0u); // and says no

        f.clock.advance(14s);
        QVERIFY(m_x->viewable(id));
        f.clock.advance(1s);
        QVERIFY(!f.mirror.isActive());
        QTRY_VERIFY(!coordinator.mirrorWindows()->popoverPanel());
        QTRY_VERIFY(!m_x->viewable(id));
        QVERIFY(!f.camera.isRunning());
        coordinator.stop();
    }
};

BRIMLARK_TEST_MAIN(TestMirrorX11)
#include "tst_mirrorx11.moc"
