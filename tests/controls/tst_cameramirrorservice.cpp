#include "Brimlark/controls/CameraPreview.h"
#include "Brimlark/controls/MirrorPopoverContent.h"
#include "Brimlark/controls/MirrorView.h"
#include "Brimlark/controls/MirrorWindowManager.h"
#include "platform/fake/FakeDesktopWindows.h"
#include "tests/support/Screenshot.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestMain.h"

#include <QAbstractButton>
#include <QSignalSpy>

using namespace std::chrono_literals;
using Placement = CameraMirrorService::Placement;

namespace {

// The messages logged while it lives, as "category level text".
struct LogCapture {
    LogCapture() {
        lines().clear();
        previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context,
                                             const QString& text) {
            const char* level = type == QtCriticalMsg ? "error" : type == QtWarningMsg ? "warning" : "other";
            lines().append(
                QStringLiteral("%1 %2 %3").arg(QLatin1String(context.category), QLatin1String(level), text));
        });
    }
    ~LogCapture() { qInstallMessageHandler(previous); }
    static QStringList& lines() {
        static QStringList captured;
        return captured;
    }
    QtMessageHandler previous;
};

QAbstractButton* stopButton(QWidget* window) {
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (button->accessibleName() == QLatin1String("Stop mirror"))
            return button;
    }
    return nullptr;
}

} // namespace

class TestCameraMirrorService : public QObject {
    Q_OBJECT
private slots:
    void storedPlacementIsReadExactly_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<Placement>("placement");
        QTest::newRow("detached") << "detached" << Placement::detached;
        QTest::newRow("inline") << "inline" << Placement::inline_;
        QTest::newRow("other case") << "Detached" << Placement::popover;
        QTest::newRow("empty") << "" << Placement::popover;
    }
    void storedPlacementIsReadExactly() {
        QFETCH(QString, stored);
        QFETCH(Placement, placement);
        ServiceFixture f;
        f.defaults.setString(CameraMirrorService::placementKey, stored);
        CameraMirrorService mirror(f.defaults, &f.camera, &f.clock);
        QCOMPARE(mirror.placement(), placement);
    }

    void mirrorStopsFifteenSecondsAfterEachStart() {
        ServiceFixture f;
        f.mirror.toggle(f.permissionsCoordinator);
        QVERIFY(f.mirror.isActive());
        f.clock.advance(10s);
        f.mirror.toggle(f.permissionsCoordinator);
        QVERIFY(!f.mirror.isActive());
        f.mirror.toggle(f.permissionsCoordinator);
        f.clock.advance(14s);
        QVERIFY(f.mirror.isActive());
        f.clock.advance(1s);
        QVERIFY(!f.mirror.isActive());
    }

    // The camera is looked for at the first start only, and runs exactly while the mirror is on,
    // however the mirror goes off.
    void cameraRunsWhileTheMirrorIsOn_data() {
        QTest::addColumn<QString>("offBy");
        QTest::newRow("toggle") << "toggle";
        QTest::newRow("stop mirror") << "stop";
        QTest::newRow("automatic stop") << "clock";
    }
    void cameraRunsWhileTheMirrorIsOn() {
        QFETCH(QString, offBy);
        ServiceFixture f;
        QCOMPARE(f.camera.configureCalls, 0);
        QVERIFY(!f.mirror.camera());
        for (int round = 0; round < 2; ++round) {
            f.mirror.toggle(f.permissionsCoordinator);
            QVERIFY(f.mirror.isActive());
            QVERIFY(f.camera.isRunning());
            QCOMPARE(f.mirror.camera(), &f.camera);
            QVERIFY(!f.camera.frame().isNull());
            if (offBy == QLatin1String("toggle"))
                f.mirror.toggle(f.permissionsCoordinator);
            else if (offBy == QLatin1String("stop"))
                f.mirror.stop();
            else
                f.clock.advance(15s);
            QVERIFY(!f.mirror.isActive());
            QVERIFY(!f.camera.isRunning());
        }
        QCOMPARE(f.camera.configureCalls, 1);
        QCOMPARE(f.camera.startCalls, 2);
    }

    void withoutACameraTheMirrorShowsAnEmptyFrame_data() {
        QTest::addColumn<bool>("cameraObject");
        QTest::newRow("no device") << true;
        QTest::newRow("no camera at all") << false;
    }
    void withoutACameraTheMirrorShowsAnEmptyFrame() {
        QFETCH(bool, cameraObject);
        ServiceFixture f;
        f.camera.hasDevice = false;
        CameraMirrorService mirror(f.defaults, cameraObject ? &f.camera : nullptr, &f.clock);
        LogCapture log;
        mirror.toggle(f.permissionsCoordinator);
        mirror.toggle(f.permissionsCoordinator);
        mirror.toggle(f.permissionsCoordinator);
        QVERIFY(mirror.isActive());
        QVERIFY(mirror.hasNoCamera());
        QVERIFY(!mirror.camera());
        QVERIFY(!f.camera.isRunning());
        // Logged once: the camera is looked for once per process.
        QCOMPARE(LogCapture::lines().filter(QStringLiteral("no camera")),
                 QStringList{QStringLiteral("com.brimlark.app.services error no camera input available")});
        f.clock.advance(15s);
        QVERIFY(!mirror.isActive());
        if (cameraObject) {
            MirrorWindowManager windows(mirror, f.screens);
            windows.start();
            mirror.toggle(f.permissionsCoordinator);
            QTRY_VERIFY(windows.popoverPanel());
            brimlark::test::saveScreenshot(windows.popoverPanel(),
                                           QStringLiteral("mirror-popover-no-camera"));
        }
    }

    void refusedCameraLeavesTheMirrorOff() {
        ServiceFixture f;
        f.permissions.video = PermissionStatus::notDetermined;
        f.permissions.grantOnRequest = false;
        f.permissionsCoordinator.refresh();
        f.mirror.toggle(f.permissionsCoordinator);
        QVERIFY(!f.mirror.isActive());
        QCOMPARE(f.camera.configureCalls, 0);
    }

    void undecidedAccessIsAskedOnce() {
        ServiceFixture f;
        f.permissions.video = PermissionStatus::notDetermined;
        f.permissionsCoordinator.refresh();
        f.mirror.toggle(f.permissionsCoordinator);
        QVERIFY(f.mirror.isActive());
        f.mirror.toggle(f.permissionsCoordinator);
        f.mirror.toggle(f.permissionsCoordinator);
        QVERIFY(f.mirror.isActive());
        QCOMPARE(f.permissions.requested, QList<CaptureDevice>{CaptureDevice::video});
    }

    void everyPlacementChoiceIsStored() {
        ServiceFixture f;
        QSignalSpy written(&f.defaults, &UserDefaults::valueChanged);
        for (Placement placement : {Placement::detached, Placement::detached, Placement::popover})
            f.mirror.setPlacement(placement);
        QCOMPARE(written.count(), 3);
        QCOMPARE(f.defaults.string(CameraMirrorService::placementKey), QStringLiteral("popover"));
    }

    void windowsFollowStateAndPlacement() {
        ServiceFixture f;
        MirrorWindowManager windows(f.mirror, f.screens);
        windows.start();
        f.mirror.toggle(f.permissionsCoordinator);
        QTRY_VERIFY(windows.popoverPanel());
        // Centred under the 200 × 32 stand-in notch, 6 points below it.
        QCOMPARE(windows.popoverPanel()->geometry(), QRect(850, 38, 220, 140));
        brimlark::test::saveScreenshot(windows.popoverPanel(), QStringLiteral("mirror-popover"));
        f.mirror.setPlacement(Placement::detached);
        QTRY_VERIFY(windows.detachedWindow());
        QVERIFY(!windows.popoverPanel());
        QCOMPARE(windows.detachedWindow()->windowTitle(), QStringLiteral("Brimlark — Mirror"));
        f.mirror.setPlacement(Placement::inline_);
        QTRY_VERIFY(!windows.detachedWindow());
        f.mirror.setPlacement(Placement::popover);
        QTRY_VERIFY(windows.popoverPanel());
        windows.stop();
        QVERIFY(!windows.popoverPanel());
        QVERIFY(f.mirror.isActive());
    }

    // On the 1920 × 1080 screen at 0, 0 without a notch; "Stop mirror" in either window ends it.
    void eachPlacementShowsItsWindow_data() {
        QTest::addColumn<Placement>("placement");
        QTest::addColumn<QRect>("panel");
        QTest::addColumn<QRect>("window");
        QTest::newRow("popover") << Placement::popover << QRect(850, 38, 220, 140) << QRect();
        QTest::newRow("detached") << Placement::detached << QRect() << QRect(120, 620, 560, 340);
        QTest::newRow("inline") << Placement::inline_ << QRect() << QRect();
    }
    void eachPlacementShowsItsWindow() {
        QFETCH(Placement, placement);
        QFETCH(QRect, panel);
        QFETCH(QRect, window);
        ServiceFixture f;
        FakeDesktopWindows desktop;
        f.mirror.setPlacement(placement);
        MirrorWindowManager windows(f.mirror, f.screens, &desktop);
        windows.start();
        f.mirror.toggle(f.permissionsCoordinator);
        QTest::qWait(20);
        QCOMPARE(windows.popoverPanel() ? windows.popoverPanel()->geometry() : QRect(), panel);
        QCOMPARE(windows.detachedWindow() ? windows.detachedWindow()->geometry() : QRect(), window);
        QWidget* shown = windows.popoverPanel() ? windows.popoverPanel() : windows.detachedWindow();
        if (!shown)
            return;
        QVERIFY(shown->isVisible());
        // Only the panel under the notch is an accessory of the desktop that never takes the keyboard.
        const bool isPanel = shown == windows.popoverPanel();
        QCOMPARE(desktop.accessories.contains(shown->windowHandle()), isPanel);
        QCOMPARE(shown->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus), isPanel);
        if (!isPanel) {
            shown->grab(); // lays the window out at its size
            brimlark::test::saveScreenshot(shown, QStringLiteral("mirror-window"));
        }
        QPointer<QWidget> guard(shown);
        stopButton(shown)->click();
        QVERIFY(!f.mirror.isActive());
        QVERIFY(!f.camera.isRunning());
        QTRY_VERIFY(!guard);
    }

    // Closing the window only hides it: the mirror goes on, and the window is back at the next
    // change of state.
    void closingTheWindowKeepsTheMirrorOn() {
        ServiceFixture f;
        f.mirror.setPlacement(Placement::detached);
        MirrorWindowManager windows(f.mirror, f.screens);
        windows.start();
        f.mirror.toggle(f.permissionsCoordinator);
        QTRY_VERIFY(windows.detachedWindow() && windows.detachedWindow()->isVisible());
        windows.detachedWindow()->close();
        QVERIFY(windows.detachedWindow() && !windows.detachedWindow()->isVisible());
        QVERIFY(f.mirror.isActive());
        f.mirror.setPlacement(Placement::detached);
        QTRY_VERIFY(windows.detachedWindow()->isVisible());
    }

    void panelFollowsTheScreens() {
        ServiceFixture f;
        MirrorWindowManager windows(f.mirror, f.screens);
        windows.start();
        f.mirror.toggle(f.permissionsCoordinator);
        QTRY_VERIFY(windows.popoverPanel());
        f.screens.setScreens({}, -1, -1);
        QTRY_VERIFY(!windows.popoverPanel());
        QVERIFY(f.mirror.isActive());
        f.screens.setScreens({FakeScreens::plain(QStringLiteral("Other"), QRect(1920, 0, 2560, 1440))});
        QTRY_VERIFY(windows.popoverPanel());
        QCOMPARE(windows.popoverPanel()->geometry(), QRect(1920 + 1170, 38, 220, 140));
    }

    // The picture fills its frame, cropped rather than letterboxed, and flipped left to right: the
    // pattern's red bar (far left) shows at the right edge, its blue bar at the left.
    void previewShowsTheFrameMirroredAndFilled() {
        ServiceFixture f;
        f.mirror.toggle(f.permissionsCoordinator);
        MirrorPopoverContent content(f.mirror);
        content.resize(220, 140);
        const QImage picture = content.preview()->grab().toImage();
        QCOMPARE(picture.size(), QSize(208, 128));
        const auto hue = [&](double x, double y) {
            return picture.pixelColor(int(x * picture.width()), int(y * picture.height())).hsvHue();
        };
        QVERIFY2(hue(0.97, 0.2) < 15, "red at the right");
        QVERIFY2(hue(0.03, 0.2) > 215 && hue(0.03, 0.2) < 245, "blue at the left");
        // Top and bottom edges carry the picture, not bands of background.
        QCOMPARE(hue(0.2, 0.01), hue(0.2, 0.5));
        QCOMPARE(hue(0.2, 0.99), hue(0.2, 0.5));

        // The panel's inline view shows the same picture only while the mirror is on.
        QWidget host;
        host.resize(360, 122);
        auto* inlineView = new MirrorView(f.mirror, &host);
        inlineView->setGeometry(host.rect());
        host.setStyleSheet(QStringLiteral("background: black"));
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        QVERIFY(inlineView->preview());
        QCOMPARE(inlineView->preview()->geometry(), QRect(90, 6, 180, 110));
        QCOMPARE(inlineView->preview()->accessibleName(), QStringLiteral("Live camera preview"));
        brimlark::test::saveScreenshot(&host, QStringLiteral("mirror-inline"));
        f.mirror.stop();
        QVERIFY(!inlineView->preview());
    }
};

BRIMLARK_TEST_MAIN(TestCameraMirrorService)
#include "tst_cameramirrorservice.moc"
