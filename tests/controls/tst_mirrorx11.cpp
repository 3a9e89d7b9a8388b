#include "Brimlark/controls/MirrorWindowManager.h"
#include "Brimlark/shell/AppCoordinator.h"
#include "platform/linux/QtScreens.h"
#include "platform/linux/X11DesktopWindows.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestMain.h"

#include <QScreen>
#include <QWindow>

#include <cstring>
#include <xcb/xcb.h>

using namespace std::chrono_literals;

// The mirror quick action on a real X server, with the fake camera and the fake clock: the panel
// under the notch is mapped at the top centre with the notch panel's desktop roles, and goes when
// the automatic stop comes.
class TestMirrorX11 : public QObject {
    Q_OBJECT

    xcb_connection_t* m_x = nullptr;
    xcb_window_t m_root = 0;

    xcb_atom_t atom(const char* name) {
        auto* reply = xcb_intern_atom_reply(m_x, xcb_intern_atom(m_x, 0, std::strlen(name), name), nullptr);
        const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return value;
    }
    QVector<quint32> property(xcb_window_t window, const char* name) {
        QVector<quint32> values;
        auto* reply = xcb_get_property_reply(
            m_x, xcb_get_property(m_x, 0, window, atom(name), XCB_GET_PROPERTY_TYPE_ANY, 0, 64), nullptr);
        if (reply && reply->format == 32) {
            const auto* data = static_cast<const quint32*>(xcb_get_property_value(reply));
            for (int i = 0; i < xcb_get_property_value_length(reply) / 4; ++i)
                values.append(data[i]);
        }
        std::free(reply);
        return values;
    }
    bool viewable(xcb_window_t window) {
        auto* reply = xcb_get_window_attributes_reply(m_x, xcb_get_window_attributes(m_x, window), nullptr);
        const bool result = reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(reply);
        return result;
    }
    // Where the server has the window, in root coordinates.
    QRect serverGeometry(xcb_window_t window) {
        auto* geometry = xcb_get_geometry_reply(m_x, xcb_get_geometry(m_x, window), nullptr);
        auto* origin = xcb_translate_coordinates_reply(
            m_x, xcb_translate_coordinates(m_x, window, m_root, 0, 0), nullptr);
        QRect result;
        if (geometry && origin)
            result = QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
        std::free(geometry);
        std::free(origin);
        return result;
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
        QVERIFY(QTest::qWaitForWindowExposed(panel));
        const auto id = static_cast<xcb_window_t>(panel->winId());
        QTRY_VERIFY(viewable(id));
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QCOMPARE(serverGeometry(id),
                 QRect(screen.left() + (screen.width() - 220) / 2, screen.top() + 38, 220, 140));
        QVERIFY(f.camera.isRunning());

        // On every workspace, above the others, out of the task bar and pager, and never given
        // the keyboard.
        QCOMPARE(property(id, "_NET_WM_DESKTOP"), QVector<quint32>{0xFFFFFFFFu});
        const QVector<quint32> state = property(id, "_NET_WM_STATE");
        for (const char* name : {"_NET_WM_STATE_STICKY", "_NET_WM_STATE_ABOVE", "_NET_WM_STATE_SKIP_TASKBAR",
                                 "_NET_WM_STATE_SKIP_PAGER"})
            QVERIFY2(state.contains(atom(name)), name);
        const QVector<quint32> hints = property(id, "WM_HINTS");
        QVERIFY(hints.size() >= 2);
        QVERIFY(hints.at(0) & 1u); // the input field is set
        QCOMPARE(hints.at(1), 0u); // and says no

        f.clock.advance(14s);
        QVERIFY(viewable(id));
        f.clock.advance(1s);
        QVERIFY(!f.mirror.isActive());
        QTRY_VERIFY(!coordinator.mirrorWindows()->popoverPanel());
        QTRY_VERIFY(!viewable(id));
        QVERIFY(!f.camera.isRunning());
        coordinator.stop();
    }
};

BRIMLARK_TEST_MAIN(TestMirrorX11)
#include "tst_mirrorx11.moc"
