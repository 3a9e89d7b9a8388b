#include "Brimlark/quickactions/QuickActionsCard.h"
#include "Brimlark/quickactions/QuickActionsStore.h"
#include "Brimlark/quickactions/QuickActionsTab.h"
#include "Brimlark/settings/SettingsScene.h"
#include "Brimlark/settings/SettingsSidebarRow.h"
#include "platform/UserDefaults.h"
#include "tests/support/RequiredServers.h"
#include "tests/support/Screenshot.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestMain.h"
#include "tests/support/X11Desktop.h"

// On a real X server: the settings window the coordinator opens shows the quick actions on their
// page, and a click there is on disk for the next store that reads the file.
class TestQuickActionsSettingsX11 : public QObject {
    Q_OBJECT
private slots:
    void clickOnTheQuickActionsPageIsStored() {
        BRIMLARK_REQUIRE_SERVER(X11Desktop::available(), X11Desktop::server);
        ServiceFixture f;
        auto coordinator = f.makeCoordinator();
        QWidget* window = coordinator->openSettings();
        QVERIFY(QTest::qWaitForWindowExposed(window, X11Desktop::timeoutMs));
        auto* scene = window->findChild<SettingsScene*>();
        QVERIFY(scene);
        SettingsSidebarRow* entry = nullptr;
        for (SettingsSidebarRow* row : scene->findChildren<SettingsSidebarRow*>()) {
            if (row->tab() == SettingsTab::quickActions)
                entry = row;
        }
        QVERIFY(entry);
        QTest::mouseClick(entry, Qt::LeftButton, {}, entry->rect().center());
        QCOMPARE(scene->selection(), SettingsTab::quickActions);
        QuickActionsTab* tab = nullptr;
        QTRY_VERIFY((tab = window->findChild<QuickActionsTab*>()) != nullptr);
        QuickActionsCard* card = tab->card(QuickAction::Kind::calculator);
        QVERIFY(card);
        QTRY_VERIFY(card->isVisible() &&
                    card->visibleRegion().boundingRect().contains(card->rect().center()));
        QTest::mouseClick(card, Qt::LeftButton, {}, card->rect().center());
        QCOMPARE(card->subtitle(), QStringLiteral("hidden from basic mode."));
        QTest::qWait(300); // the switch slides over
        brimlark::test::saveScreenshot(window, QStringLiteral("settings-quick-actions-x11"));

        UserDefaults reread(f.defaults.filePath());
        QuickActionsStore fresh(reread);
        QList<QuickAction> expected = QuickAction::defaultList();
        expected[3].enabled = false; // calculator
        QCOMPARE(fresh.actions(), expected);
        coordinator->stop();
    }
};

BRIMLARK_TEST_MAIN(TestQuickActionsSettingsX11)
#include "tst_quickactionssettingsx11.moc"
