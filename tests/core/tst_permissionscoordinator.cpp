#include "Brimlark/core/PermissionsCoordinator.h"
#include "platform/fake/FakeEventStore.h"
#include "platform/fake/FakeNotifications.h"
#include "platform/fake/FakePermissions.h"
#include "tests/support/TestMain.h"

using State = PermissionsCoordinator::State;
using Kind = PermissionsCoordinator::Permission;

Q_DECLARE_METATYPE(PermissionStatus)
Q_DECLARE_METATYPE(NotificationAuthorization)

class TestPermissionsCoordinator : public QObject {
    Q_OBJECT
private:
    FakeEventStore store;
    FakePermissions capture;
    FakeNotifications notifications;

private slots:
    void init() {
        store.events = store.reminders = PermissionStatus::notDetermined;
        store.grantOnRequest = true;
        store.requestError.clear();
        store.requests = 0;
        capture.video = capture.audio = PermissionStatus::authorized;
        notifications.authorization = NotificationAuthorization::notDetermined;
        notifications.authorizationRequests = 0;
    }

    void platformStatusesMapToStates_data() {
        QTest::addColumn<PermissionStatus>("status");
        QTest::addColumn<State>("eventStore");
        QTest::addColumn<State>("captureDevice");
        QTest::newRow("not determined")
            << PermissionStatus::notDetermined << State::unknown << State::unknown;
        QTest::newRow("restricted") << PermissionStatus::restricted << State::denied << State::denied;
        QTest::newRow("denied") << PermissionStatus::denied << State::denied << State::denied;
        QTest::newRow("authorized") << PermissionStatus::authorized << State::granted << State::granted;
        QTest::newRow("write only") << PermissionStatus::writeOnly << State::writeOnly << State::unknown;
        QTest::newRow("provisional") << PermissionStatus::provisional << State::unknown << State::unknown;
    }
    void platformStatusesMapToStates() {
        QFETCH(PermissionStatus, status);
        QFETCH(State, eventStore);
        QFETCH(State, captureDevice);
        QCOMPARE(PermissionsCoordinator::fromEventStore(status), eventStore);
        QCOMPARE(PermissionsCoordinator::fromCaptureDevice(status), captureDevice);
    }

    void notificationStatusesMapToStates() {
        QCOMPARE(PermissionsCoordinator::fromNotifications(NotificationAuthorization::notDetermined),
                 State::unknown);
        QCOMPARE(PermissionsCoordinator::fromNotifications(NotificationAuthorization::denied), State::denied);
        QCOMPARE(PermissionsCoordinator::fromNotifications(NotificationAuthorization::authorized),
                 State::granted);
        QCOMPARE(PermissionsCoordinator::fromNotifications(NotificationAuthorization::provisional),
                 State::granted);
    }

    void notificationsArriveAfterTheOthers() {
        notifications.authorization = NotificationAuthorization::authorized;
        store.events = PermissionStatus::writeOnly;
        capture.video = PermissionStatus::restricted;
        PermissionsCoordinator permissions(store, capture, &notifications);
        QCOMPARE(permissions.calendar(), State::writeOnly);
        QCOMPARE(permissions.camera(), State::denied);
        QCOMPARE(permissions.microphone(), State::granted);
        QCOMPARE(permissions.notifications(), State::unknown);
        QTRY_COMPARE(permissions.notifications(), State::granted);
        // Write-only counts as missing but not as denied.
        QCOMPARE(permissions.missingPermissions(),
                 QList<Kind>({Kind::calendar, Kind::reminders, Kind::camera}));
        QCOMPARE(permissions.deniedPermissions(), QList<Kind>({Kind::camera}));
    }

    void requestAllAsksOnlyWhatIsUnknown() {
        store.events = PermissionStatus::writeOnly;
        PermissionsCoordinator permissions(store, capture, &notifications);
        QCoreApplication::processEvents();
        bool done = false;
        permissions.requestAll([&] { done = true; });
        QVERIFY(done);
        QCOMPARE(store.requests, 1); // reminders only; write-only calendar is not asked again
        QCOMPARE(notifications.authorizationRequests, 1);
        QCOMPARE(permissions.calendar(), State::writeOnly);
        QCOMPARE(permissions.reminders(), State::granted);
        QCOMPARE(permissions.notifications(), State::granted);

        done = false;
        permissions.requestAll([&] { done = true; });
        QVERIFY(done);
        QCOMPARE(store.requests, 1);
        QCOMPARE(notifications.authorizationRequests, 1);
    }

    void failedRequestsCountAsDenied() {
        store.requestError = QStringLiteral("store unreadable");
        PermissionsCoordinator permissions(store, capture, nullptr);
        QTest::ignoreMessage(QtCriticalMsg, "calendar request failed: store unreadable");
        State answered = State::unknown;
        permissions.requestCalendar([&](State state) { answered = state; });
        QCOMPARE(answered, State::denied);
        QCOMPARE(permissions.calendar(), State::denied);
        // Without a notification server there is nothing to allow.
        permissions.requestNotifications([&](State state) { answered = state; });
        QCOMPARE(answered, State::denied);
        capture.grantOnRequest = false;
        permissions.requestCamera([&](State state) { answered = state; });
        QCOMPARE(answered, State::denied);
    }

    void settingsAreAskedForByMeaning() {
        PermissionsCoordinator permissions(store, capture, &notifications);
        QVERIFY(!permissions.openSettings(Kind::camera));
        QVERIFY(!permissions.openPrivacySettings());
        capture.settingsOpen = true;
        QVERIFY(permissions.openSettings(Kind::reminders));
        QVERIFY(permissions.openPrivacySettings());
        QCOMPARE(capture.openedSettings, (QList<Permission>{Permission::camera, Permission::reminders}));
        QCOMPARE(capture.privacySettingsOpenings, 2);
    }
};

BRIMLARK_TEST_MAIN(TestPermissionsCoordinator)
#include "tst_permissionscoordinator.moc"
