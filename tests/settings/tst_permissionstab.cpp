#include "Brimlark/kit/BrimlarkRoundedButton.h"
#include "Brimlark/kit/BrimlarkStatusBadge.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/settings/PermissionRow.h"
#include "Brimlark/settings/PermissionsTab.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestMain.h"

Q_DECLARE_METATYPE(PermissionStatus)

// The permissions page over the fixture's fake calendar store, capture devices and notification
// server.
class TestPermissionsTab : public QObject {
    Q_OBJECT
private:
    static void readStates(ServiceFixture& f, PermissionStatus calendar, PermissionStatus reminders) {
        f.eventStore.events = calendar;
        f.eventStore.reminders = reminders;
        f.permissionsCoordinator.refresh();
        // Notifications are read on a later turn.
        QCoreApplication::processEvents();
    }

    static QStringList badgeTexts(const PermissionsTab& tab) {
        QStringList texts;
        for (PermissionRow* row : tab.rows())
            texts << row->badge()->label();
        return texts;
    }

private slots:
    void badgesAndTheFirstButtonFollowTheStates_data() {
        QTest::addColumn<PermissionStatus>("calendar");
        QTest::addColumn<PermissionStatus>("reminders");
        QTest::addColumn<bool>("allowAllEnabled");
        QTest::addColumn<QStringList>("badges");
        QTest::addColumn<QColor>("calendarColour");
        QTest::addColumn<QColor>("remindersColour");

        const auto all = [](const QString& first, const QString& second) {
            return QStringList{first, second, "granted", "granted", "granted"};
        };
        QTest::newRow("all granted") << PermissionStatus::authorized << PermissionStatus::authorized << false
                                     << all("granted", "granted") << BrimlarkTheme::success()
                                     << BrimlarkTheme::success();
        QTest::newRow("calendar write only")
            << PermissionStatus::writeOnly << PermissionStatus::authorized << false
            << all("write only", "granted") << BrimlarkTheme::warning() << BrimlarkTheme::success();
        QTest::newRow("calendar never asked")
            << PermissionStatus::notDetermined << PermissionStatus::authorized << true
            << all("not asked", "granted") << BrimlarkTheme::textTertiary() << BrimlarkTheme::success();
        QTest::newRow("reminders refused")
            << PermissionStatus::authorized << PermissionStatus::denied << false << all("granted", "denied")
            << BrimlarkTheme::success() << BrimlarkTheme::danger();
    }

    void badgesAndTheFirstButtonFollowTheStates() {
        QFETCH(PermissionStatus, calendar);
        QFETCH(PermissionStatus, reminders);
        QFETCH(bool, allowAllEnabled);
        QFETCH(QStringList, badges);
        QFETCH(QColor, calendarColour);
        QFETCH(QColor, remindersColour);
        ServiceFixture f;
        readStates(f, calendar, reminders);
        PermissionsTab tab(f.permissionsCoordinator);
        tab.resize(560, 700);
        tab.show();
        // Only a permission never asked is left to ask; a disabled button says why.
        QCOMPARE(tab.allowAllButton()->isEnabled(), allowAllEnabled);
        QCOMPARE(tab.allowAllButton()->toolTip().isEmpty(), allowAllEnabled);
        QVERIFY(tab.refreshButton()->isEnabled());
        QVERIFY(tab.systemSettingsButton()->isEnabled());
        QCOMPARE(badgeTexts(tab), badges);
        QCOMPARE(tab.rows().at(0)->badge()->color(), calendarColour);
        QCOMPARE(tab.rows().at(1)->badge()->color(), remindersColour);
    }

    void refreshShowsAChangedStateAtOnce() {
        ServiceFixture f;
        readStates(f, PermissionStatus::authorized, PermissionStatus::authorized);
        PermissionsTab tab(f.permissionsCoordinator);
        tab.show();
        QVERIFY(!tab.allowAllButton()->isEnabled());
        f.eventStore.events = PermissionStatus::denied;
        QTest::mouseClick(tab.refreshButton(), Qt::LeftButton);
        QCOMPARE(tab.rows().at(0)->badge()->label(), QStringLiteral("denied"));
        QVERIFY(tab.rows().at(0)->badge()->isVisible());
        QVERIFY(!tab.allowAllButton()->isEnabled()); // a refusal is not asked again
        f.eventStore.events = PermissionStatus::notDetermined;
        QTest::mouseClick(tab.refreshButton(), Qt::LeftButton);
        QVERIFY(tab.allowAllButton()->isEnabled());
    }

    void systemSettingsThatCannotOpenTurnTheButtonOff_data() {
        QTest::addColumn<bool>("present");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<int>("openings");
        QTest::newRow("settings opened") << true << true << 1;
        QTest::newRow("settings there but failing") << true << false << 1;
        // Without GNOME Settings the button is off from the start: the click reaches nothing.
        QTest::newRow("no settings on this desktop") << false << false << 0;
    }

    void systemSettingsThatCannotOpenTurnTheButtonOff() {
        QFETCH(bool, present);
        QFETCH(bool, opens);
        QFETCH(int, openings);
        ServiceFixture f;
        f.permissions.settingsPresent = present;
        f.permissions.settingsOpen = opens;
        PermissionsTab tab(f.permissionsCoordinator);
        tab.show();
        QCOMPARE(tab.systemSettingsButton()->isEnabled(), present);
        QCOMPARE(tab.systemSettingsButton()->toolTip().isEmpty(), present);
        QTest::mouseClick(tab.systemSettingsButton(), Qt::LeftButton);
        QCOMPARE(f.permissions.privacySettingsOpenings, openings);
        QCOMPARE(tab.systemSettingsButton()->isEnabled(), opens);
        QCOMPARE(tab.systemSettingsButton()->toolTip().isEmpty(), opens);
    }
};

BRIMLARK_TEST_MAIN(TestPermissionsTab)
#include "tst_permissionstab.moc"
