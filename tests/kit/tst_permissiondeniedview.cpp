#include "Brimlark/kit/PermissionDeniedView.h"
#include "tests/support/CalendarFixture.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestMain.h"

using namespace calendar_test;

// The card a page shows while a permission it needs is missing.
class TestPermissionDeniedView : public QObject {
    Q_OBJECT
private slots:
    void theCardNamesThePermissionAndItsWaysOut_data() {
        QTest::addColumn<PermissionsCoordinator::Permission>("permission");
        QTest::addColumn<bool>("withAction");
        QTest::addColumn<QString>("headline");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<Permission>("settings"); // what "open system settings" asks the platform for
        using P = PermissionsCoordinator::Permission;
        QTest::newRow("calendar") << P::calendar << true << "calendar access required"
                                  << "View today's events in the notch panel." << Permission::calendar;
        QTest::newRow("reminders, no action")
            << P::reminders << false << "reminders access required"
            << "View, complete, and quick-add reminders." << Permission::reminders;
        QTest::newRow("camera") << P::camera << true << "camera access required"
                                << "Show a live mirror preview before meetings." << Permission::camera;
        QTest::newRow("microphone") << P::microphone << false << "microphone access required"
                                    << "Mute your input from the notch." << Permission::microphone;
        QTest::newRow("notifications") << P::notifications << true << "notifications access required"
                                       << "Notify when timers finish." << Permission::notifications;
    }
    void theCardNamesThePermissionAndItsWaysOut() {
        QFETCH(PermissionsCoordinator::Permission, permission);
        QFETCH(bool, withAction);
        QFETCH(QString, headline);
        QFETCH(QString, reason);
        QFETCH(Permission, settings);
        CalendarFixture f;
        int requests = 0;
        PermissionDeniedView card(
            permission, withAction ? std::function<void()>([&] { ++requests; }) : nullptr, &f.coordinator);
        QCOMPARE(labelTexts(&card), (QStringList{headline, reason}));
        const QStringList expected =
            withAction ? QStringList{"allow", "open system settings"} : QStringList{"open system settings"};
        QCOMPARE(buttonTexts(&card), expected);
        for (QAbstractButton* button : card.findChildren<QAbstractButton*>())
            button->click();
        QCOMPARE(requests, withAction ? 1 : 0);
        // The card's own permission's settings, whatever else is missing.
        QCOMPARE(f.permissions.openedSettings, QList<Permission>{settings});
    }

    void settingsOnlyWhereTheDesktopHasThem_data() {
        QTest::addColumn<bool>("present");
        QTest::addColumn<QString>("why");
        QTest::newRow("a settings application") << true << "";
        QTest::newRow("none installed") << false << "no settings application is installed on this desktop";
    }

    // A desktop without a place for the permission gets the button disabled, with the reason.
    void settingsOnlyWhereTheDesktopHasThem() {
        QFETCH(bool, present);
        QFETCH(QString, why);
        CalendarFixture f;
        f.permissions.settingsPresent = present;
        PermissionDeniedView card(PermissionsCoordinator::Permission::camera, nullptr, &f.coordinator);
        auto* button = card.findChild<QAbstractButton*>(QStringLiteral("openSettings"));
        QVERIFY(button);
        QCOMPARE(button->isEnabled(), present);
        QCOMPARE(button->accessibleDescription(), why);
        button->click();
        QCOMPARE(f.permissions.openedSettings.size(), present ? 1 : 0);
    }

    void screenshots() {
        if (brimlark::test::screenshotDir().isEmpty())
            QSKIP("BRIMLARK_SCREENSHOT_DIR is not set");
        CalendarFixture f;
        using P = PermissionsCoordinator::Permission;
        {
            std::unique_ptr<QWidget> host(darkHost(new PermissionDeniedView(
                                                       P::reminders, [] {}, &f.coordinator),
                                                   QSize(480, 240)));
            QVERIFY(
                !brimlark::test::saveScreenshot(host.get(), QStringLiteral("permission-card-reminders-allow"))
                     .isEmpty());
        }
        std::unique_ptr<QWidget> host(
            darkHost(new PermissionDeniedView(P::reminders, nullptr, &f.coordinator), QSize(480, 240)));
        QVERIFY(!brimlark::test::saveScreenshot(host.get(), QStringLiteral("permission-card-reminders"))
                     .isEmpty());
    }
};

BRIMLARK_TEST_MAIN(TestPermissionDeniedView)
#include "tst_permissiondeniedview.moc"
