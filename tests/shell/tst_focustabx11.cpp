#include "Brimlark/controls/FocusTab.h"
#include "Brimlark/kit/BrimlarkRoundedButton.h"
#include "Brimlark/settings/SettingsScene.h"
#include "Brimlark/settings/SettingsSidebarRow.h"
#include "Brimlark/shell/AppCoordinator.h"
#include "Brimlark/shell/MenuBarMenuView.h"
#include "tests/support/RequiredServers.h"
#include "tests/support/Screenshot.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestMain.h"
#include "tests/support/X11Desktop.h"

#include <QAction>
#include <QFile>
#include <QTemporaryDir>

// On a real X server, as a user goes: the tray menu's "Settings…", the "focus" page, then
// "toggle dnd now" with the real shortcuts runner, with and without a `shortcuts` tool on the
// search path.
class TestFocusTabX11 : public QObject {
    Q_OBJECT
private slots:
    void toggleDndNowShowsWhatTheToolAnswered_data() {
        QTest::addColumn<bool>("toolPresent");
        QTest::addColumn<QString>("line");
        QTest::newRow("a tool that exits 0")
            << true
            << QStringLiteral(
                   "shortcuts ran. if dnd didn't change, check what the program does with the name.");
        QTest::newRow("no tool") << false
                                 << QStringLiteral(
                                        "could not run \"shortcuts run Brimlark.ToggleDND\". make sure "
                                        "a shortcuts program on the search path handles that name.");
    }

    void toggleDndNowShowsWhatTheToolAnswered() {
        BRIMLARK_REQUIRE_SERVER(X11Desktop::available(), X11Desktop::server);
        QFETCH(bool, toolPresent);
        QFETCH(QString, line);
        QTemporaryDir bin;
        if (toolPresent) {
            QFile tool(bin.filePath(QStringLiteral("shortcuts")));
            QVERIFY(tool.open(QIODevice::WriteOnly));
            tool.write("#!/bin/sh\nexit 0\n");
            tool.close();
            QVERIFY(tool.setPermissions(tool.permissions() | QFile::ExeOwner));
        }
        // The search path holds only that folder: no other `shortcuts` can answer.
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin.path()));
        auto restorePath = qScopeGuard([&] { qputenv("PATH", path); });

        ServiceFixture f;
        ShortcutsRunner runner;
        FocusService focus(f.defaults, runner);
        PanelServices services = f.services();
        services.focus = &focus;
        AppCoordinator coordinator(services, f.platform());
        coordinator.start();
        MenuBarMenuView menu(coordinator);
        QCOMPARE(menu.settingsAction()->text(), QStringLiteral("Settings…"));
        menu.settingsAction()->trigger();
        QWidget* window = coordinator.openSettings();
        QVERIFY(QTest::qWaitForWindowExposed(window, X11Desktop::timeoutMs));
        auto* scene = window->findChild<SettingsScene*>();
        QVERIFY(scene);
        SettingsSidebarRow* focusRow = nullptr;
        for (SettingsSidebarRow* row : scene->findChildren<SettingsSidebarRow*>()) {
            if (row->tab() == SettingsTab::focus)
                focusRow = row;
        }
        QVERIFY(focusRow);
        QTest::mouseClick(focusRow, Qt::LeftButton);
        QTRY_VERIFY(scene->findChild<FocusTab*>());
        auto* tab = scene->findChild<FocusTab*>();
        QTRY_VERIFY(tab->toggleButton()->isVisible());
        QTest::mouseClick(tab->toggleButton(), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(tab->resultText(), line, 10000);
        QVERIFY(tab->toggleButton()->isEnabled());
        brimlark::test::saveScreenshot(window, toolPresent ? QStringLiteral("focus-x11-ran")
                                                           : QStringLiteral("focus-x11-no-tool"));
        coordinator.stop();
    }
};

BRIMLARK_TEST_MAIN(TestFocusTabX11)
#include "tst_focustabx11.moc"
