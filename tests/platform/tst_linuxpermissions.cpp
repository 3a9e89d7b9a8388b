#include "platform/linux/LinuxPermissions.h"
#include "tests/support/TestMain.h"

// Linux answers: capture devices authorized, requests granted, no settings pages.
class TestLinuxPermissions : public QObject {
    Q_OBJECT
private slots:
    void captureDevicesAreAuthorized() {
        LinuxPermissions permissions;
        QCOMPARE(permissions.captureStatus(CaptureDevice::video), PermissionStatus::authorized);
        QCOMPARE(permissions.captureStatus(CaptureDevice::audio), PermissionStatus::authorized);
    }

    void requestsAreGrantedAtOnce_data() {
        QTest::addColumn<CaptureDevice>("device");
        QTest::newRow("camera") << CaptureDevice::video;
        QTest::newRow("microphone") << CaptureDevice::audio;
    }
    void requestsAreGrantedAtOnce() {
        QFETCH(CaptureDevice, device);
        LinuxPermissions permissions;
        int calls = 0;
        bool granted = false;
        permissions.requestCaptureAccess(device, this, [&](bool answer) {
            ++calls;
            granted = answer;
        });
        QCOMPARE(calls, 1);
        QVERIFY(granted);
        QCOMPARE(permissions.captureStatus(device), PermissionStatus::authorized);
    }

    void aRequestWithoutCallbackIsHarmless() {
        LinuxPermissions permissions;
        permissions.requestCaptureAccess(CaptureDevice::video, this, {});
    }

    void settingsPagesDoNotExist_data() {
        QTest::addColumn<QString>("address");
        QTest::newRow("calendar")
            << "x-apple.systempreferences:com.apple.preference.security?Privacy_Calendars";
        QTest::newRow("reminders")
            << "x-apple.systempreferences:com.apple.preference.security?Privacy_Reminders";
        QTest::newRow("camera") << "x-apple.systempreferences:com.apple.preference.security?Privacy_Camera";
        QTest::newRow("microphone")
            << "x-apple.systempreferences:com.apple.preference.security?Privacy_Microphone";
        QTest::newRow("notifications") << "x-apple.systempreferences:com.apple.preference.notifications";
        QTest::newRow("privacy") << "x-apple.systempreferences:com.apple.preference.security?Privacy";
        QTest::newRow("empty") << QString();
    }
    void settingsPagesDoNotExist() {
        QFETCH(QString, address);
        LinuxPermissions permissions;
        QTest::ignoreMessage(QtDebugMsg,
                             qPrintable(QStringLiteral("settings page not available on Linux: ") + address));
        QVERIFY(!permissions.openSettingsPage(address));
    }
};

BRIMLARK_TEST_MAIN(TestLinuxPermissions)
#include "tst_linuxpermissions.moc"
