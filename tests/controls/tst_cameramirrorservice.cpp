#include "Brimlark/controls/MirrorWindowManager.h"
#include "tests/support/Screenshot.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestMain.h"

using namespace std::chrono_literals;
using Placement = CameraMirrorService::Placement;

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
        CameraMirrorService mirror(f.defaults, &f.clock);
        QCOMPARE(mirror.placement(), placement);
    }

    void mirrorStopsFifteenSecondsAfterEachStart() {
        ServiceFixture f;
        QTest::ignoreMessage(QtCriticalMsg, "no camera input available");
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

    void refusedCameraLeavesTheMirrorOff() {
        ServiceFixture f;
        f.permissions.video = PermissionStatus::notDetermined;
        f.permissions.grantOnRequest = false;
        f.permissionsCoordinator.refresh();
        f.mirror.toggle(f.permissionsCoordinator);
        QVERIFY(!f.mirror.isActive());
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
};

BRIMLARK_TEST_MAIN(TestCameraMirrorService)
#include "tst_cameramirrorservice.moc"
