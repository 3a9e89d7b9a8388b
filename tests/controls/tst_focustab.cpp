#include "Brimlark/controls/FocusTab.h"
#include "Brimlark/kit/BrimlarkRoundedButton.h"
#include "Brimlark/settings/SettingsScene.h"
#include "tests/support/Screenshot.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestMain.h"

// The Focus page over the fixture's recording shortcuts runner, shown in the settings scene.
class TestFocusTab : public QObject {
    Q_OBJECT
private:
    static std::unique_ptr<SettingsScene> focusPage(ServiceFixture& f) {
        auto scene =
            std::make_unique<SettingsScene>(f.services(), SettingsScene::Context(), SettingsTab::focus);
        scene->show();
        return scene;
    }

private slots:
    void copyNameLeavesExactlyTheName() {
        ServiceFixture f;
        auto scene = focusPage(f);
        auto* tab = scene->findChild<FocusTab*>();
        QVERIFY(tab);
        f.workspace.clipboard = QStringLiteral("something the user copied");
        QTest::mouseClick(tab->copyNameButton(), Qt::LeftButton);
        QCOMPARE(f.workspace.clipboard, QStringLiteral("Brimlark.ToggleDND"));
        QVERIFY(f.runner.ran.isEmpty());
    }

    void openShortcutsOnlyWhereThereIsOne_data() {
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QString>("why");
        QTest::newRow("a desktop with one") << true << "";
        QTest::newRow("Linux: none") << false << FocusTab::noShortcutsApplication();
    }

    // Without a shortcuts application the button cannot be pressed and says why, rather than
    // doing nothing.
    void openShortcutsOnlyWhereThereIsOne() {
        QFETCH(bool, installed);
        QFETCH(QString, why);
        ServiceFixture f;
        f.workspace.shortcutsApplicationInstalled = installed;
        auto scene = focusPage(f);
        auto* button = scene->findChild<FocusTab*>()->openShortcutsButton();
        QCOMPARE(button->isEnabled(), installed);
        QCOMPARE(button->accessibleDescription(), why);
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(f.workspace.shortcutsApplicationOpenings, installed ? 1 : 0);
    }

    void theResultLineFollowsTheLastToggle_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("screenshot");

        const QString failure =
            QStringLiteral("could not run \"shortcuts run Brimlark.ToggleDND\". make sure a shortcuts "
                           "program on the search path handles that name.");
        QTest::newRow("ran") << 0
                             << QStringLiteral("shortcuts ran. if dnd didn't change, check what the "
                                               "program does with the name.")
                             << QStringLiteral("focus-tab-success");
        QTest::newRow("tool not startable") << -1 << failure << QStringLiteral("focus-tab-failure");
        QTest::newRow("shortcut missing") << 1 << failure << QString();
    }

    void theResultLineFollowsTheLastToggle() {
        QFETCH(int, status);
        QFETCH(QString, line);
        QFETCH(QString, screenshot);
        ServiceFixture f;
        for (const QString& name : FocusService::toggleDNDNames)
            f.runner.statuses.insert(name, status);
        auto scene = focusPage(f);
        auto* tab = scene->findChild<FocusTab*>();
        QVERIFY(tab->resultText().isEmpty());
        QCoreApplication::processEvents(); // the page's pending layout
        if (status == 0)
            brimlark::test::saveScreenshot(scene.get(), QStringLiteral("focus-tab-before"));

        QTest::mouseClick(tab->toggleButton(), Qt::LeftButton);
        // While the shortcut runs only the toggle waits; the other two stay usable.
        QVERIFY(!tab->toggleButton()->isEnabled());
        QVERIFY(tab->copyNameButton()->isEnabled());
        QTRY_VERIFY(tab->toggleButton()->isEnabled());
        QCOMPARE(tab->resultText(), line);
        QCoreApplication::processEvents();
        if (!screenshot.isEmpty())
            brimlark::test::saveScreenshot(scene.get(), screenshot);
    }
};

BRIMLARK_TEST_MAIN(TestFocusTab)
#include "tst_focustab.moc"
