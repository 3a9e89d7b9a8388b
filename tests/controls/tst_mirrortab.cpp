#include "Brimlark/controls/MirrorPlacementRow.h"
#include "Brimlark/controls/MirrorTab.h"
#include "Brimlark/controls/MirrorWindowManager.h"
#include "Brimlark/settings/SettingsScene.h"
#include "tests/support/Screenshot.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestMain.h"

using Placement = CameraMirrorService::Placement;

class TestMirrorTab : public QObject {
    Q_OBJECT

    static QList<Placement> selected(const MirrorTab& tab) {
        QList<Placement> placements;
        for (MirrorPlacementRow* row : tab.rows()) {
            if (row->isSelected())
                placements.append(row->placement());
        }
        return placements;
    }

private slots:
    // The settings window's mirror page, as the user opens it; nothing stored yet.
    void firstStartMarksThePopover() {
        ServiceFixture f;
        auto coordinator = f.makeCoordinator();
        QWidget* window = coordinator->openSettings();
        auto* scene = window->findChild<SettingsScene*>();
        scene->setSelection(SettingsTab::mirror);
        auto* tab = window->findChild<MirrorTab*>();
        QVERIFY(tab);
        QStringList titles;
        for (MirrorPlacementRow* row : tab->rows())
            titles << row->text();
        QCOMPARE(titles, QStringList({"inline (in notch panel)", "popover (under notch)", "detached"}));
        QCOMPARE(selected(*tab), QList<Placement>{Placement::popover});
        QVERIFY(!f.defaults.contains(CameraMirrorService::placementKey));
        brimlark::test::saveScreenshot(window, QStringLiteral("settings-mirror"));
    }

    // A click stores the row's placement, also the one already chosen, and an open mirror moves
    // into its new place at once.
    void clickChoosesAndMovesAnOpenMirror_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<Placement>("placement");
        QTest::addColumn<bool>("panel");
        QTest::addColumn<bool>("window");
        QTest::newRow("detached") << 2 << Placement::detached << false << true;
        QTest::newRow("popover again") << 1 << Placement::popover << true << false;
        QTest::newRow("inline") << 0 << Placement::inline_ << false << false;
    }
    void clickChoosesAndMovesAnOpenMirror() {
        QFETCH(int, row);
        QFETCH(Placement, placement);
        QFETCH(bool, panel);
        QFETCH(bool, window);
        ServiceFixture f;
        MirrorWindowManager windows(f.mirror, f.screens);
        windows.start();
        f.mirror.toggle(f.permissionsCoordinator);
        QTRY_VERIFY(windows.popoverPanel());
        MirrorTab tab(f.mirror);
        tab.resize(560, 320);
        QTest::mouseClick(tab.rows().at(row), Qt::LeftButton);
        QCOMPARE(f.mirror.placement(), placement);
        QCOMPARE(f.defaults.string(CameraMirrorService::placementKey),
                 CameraMirrorService::rawValue(placement));
        QCOMPARE(selected(tab), QList<Placement>{placement});
        QTRY_COMPARE(bool(windows.detachedWindow()), window);
        QTRY_COMPARE(bool(windows.popoverPanel()), panel);
        QVERIFY(f.mirror.isActive());
    }
};

BRIMLARK_TEST_MAIN(TestMirrorTab)
#include "tst_mirrortab.moc"
