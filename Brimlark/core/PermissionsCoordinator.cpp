#include "Brimlark/core/PermissionsCoordinator.h"

#include "Brimlark/core/EnumText.h"
#include "Brimlark/core/Logging.h"
#include "platform/EventStore.h"

#include <QPointer>

PermissionsCoordinator::PermissionsCoordinator(EventStore& eventStore, Permissions& permissions,
                                               Notifications* notifications, QObject* parent)
    : QObject(parent), m_eventStore(eventStore), m_permissions(permissions),
      m_notificationCenter(notifications) {
    refresh();
}

PermissionsCoordinator::State PermissionsCoordinator::fromEventStore(PermissionStatus status) {
    switch (status) {
    case PermissionStatus::notDetermined:
        return State::unknown;
    case PermissionStatus::restricted:
    case PermissionStatus::denied:
        return State::denied;
    case PermissionStatus::authorized:
        return State::granted;
    case PermissionStatus::writeOnly:
        return State::writeOnly;
    case PermissionStatus::provisional:
        break;
    }
    return State::unknown;
}

PermissionsCoordinator::State PermissionsCoordinator::fromCaptureDevice(PermissionStatus status) {
    switch (status) {
    case PermissionStatus::notDetermined:
        return State::unknown;
    case PermissionStatus::restricted:
    case PermissionStatus::denied:
        return State::denied;
    case PermissionStatus::authorized:
        return State::granted;
    case PermissionStatus::writeOnly:
    case PermissionStatus::provisional:
        break;
    }
    return State::unknown;
}

PermissionsCoordinator::State PermissionsCoordinator::fromNotifications(NotificationAuthorization status) {
    switch (status) {
    case NotificationAuthorization::notDetermined:
        return State::unknown;
    case NotificationAuthorization::denied:
        return State::denied;
    case NotificationAuthorization::authorized:
    case NotificationAuthorization::provisional:
        return State::granted;
    }
    return State::unknown;
}

PermissionsCoordinator::State PermissionsCoordinator::state(Permission permission) const {
    switch (permission) {
    case Permission::calendar:
        return m_calendar;
    case Permission::reminders:
        return m_reminders;
    case Permission::camera:
        return m_camera;
    case Permission::microphone:
        return m_microphone;
    case Permission::notifications:
        return m_notifications;
    }
    return State::unknown;
}

void PermissionsCoordinator::set(Permission permission, State state) {
    switch (permission) {
    case Permission::calendar:
        m_calendar = state;
        break;
    case Permission::reminders:
        m_reminders = state;
        break;
    case Permission::camera:
        m_camera = state;
        break;
    case Permission::microphone:
        m_microphone = state;
        break;
    case Permission::notifications:
        m_notifications = state;
        break;
    }
    emit stateChanged(permission, state);
}

QList<PermissionsCoordinator::Permission> PermissionsCoordinator::missingPermissions() const {
    QList<Permission> missing;
    for (Permission permission : allCases<Permission>()) {
        if (state(permission) != State::granted)
            missing.append(permission);
    }
    return missing;
}

QList<PermissionsCoordinator::Permission> PermissionsCoordinator::deniedPermissions() const {
    QList<Permission> denied;
    for (Permission permission : allCases<Permission>()) {
        if (state(permission) == State::denied)
            denied.append(permission);
    }
    return denied;
}

void PermissionsCoordinator::refresh() {
    set(Permission::calendar, fromEventStore(m_eventStore.authorizationStatus(EventStore::Entity::event)));
    set(Permission::reminders,
        fromEventStore(m_eventStore.authorizationStatus(EventStore::Entity::reminder)));
    set(Permission::camera, fromCaptureDevice(m_permissions.captureStatus(CaptureDevice::video)));
    set(Permission::microphone, fromCaptureDevice(m_permissions.captureStatus(CaptureDevice::audio)));
    if (!m_notificationCenter)
        return;
    // The answer may come at once; publishing it on a later turn keeps refresh() synchronous for
    // the four others only, as callers expect.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!m_notificationCenter)
                return;
            m_notificationCenter->authorizationStatus(this, [this](NotificationAuthorization status) {
                set(Permission::notifications, fromNotifications(status));
            });
        },
        Qt::QueuedConnection);
}

void PermissionsCoordinator::request(Permission permission, Done done) {
    // The platform's answers come without a context: `done` answers also when the coordinator is
    // gone by then.
    QPointer<PermissionsCoordinator> self(this);
    auto publish = [self, permission, done](State state) {
        if (self)
            self->set(permission, state);
        if (done)
            done(state);
    };
    switch (permission) {
    case Permission::calendar:
    case Permission::reminders: {
        const bool events = permission == Permission::calendar;
        m_eventStore.requestFullAccess(
            events ? EventStore::Entity::event : EventStore::Entity::reminder, nullptr,
            [publish, events](bool granted, const QString& error) {
                if (!error.isEmpty()) {
                    if (events)
                        qCCritical(lcPermissions, "calendar request failed: %s", qUtf8Printable(error));
                    else
                        qCCritical(lcPermissions, "reminders request failed: %s", qUtf8Printable(error));
                    publish(State::denied);
                    return;
                }
                publish(granted ? State::granted : State::denied);
            });
        return;
    }
    case Permission::camera:
    case Permission::microphone:
        m_permissions.requestCaptureAccess(
            permission == Permission::camera ? CaptureDevice::video : CaptureDevice::audio, nullptr,
            [publish](bool granted) { publish(granted ? State::granted : State::denied); });
        return;
    case Permission::notifications:
        if (!m_notificationCenter) {
            publish(State::denied);
            return;
        }
        m_notificationCenter->requestAuthorization(nullptr, [publish](bool granted, const QString& error) {
            publish(error.isEmpty() && granted ? State::granted : State::denied);
        });
        return;
    }
}

void PermissionsCoordinator::requestCalendar(Done done) {
    request(Permission::calendar, std::move(done));
}
void PermissionsCoordinator::requestReminders(Done done) {
    request(Permission::reminders, std::move(done));
}
void PermissionsCoordinator::requestCamera(Done done) {
    request(Permission::camera, std::move(done));
}
void PermissionsCoordinator::requestMicrophone(Done done) {
    request(Permission::microphone, std::move(done));
}
void PermissionsCoordinator::requestNotifications(Done done) {
    request(Permission::notifications, std::move(done));
}

void PermissionsCoordinator::requestAll(std::function<void()> done) {
    requestAllFrom(0, std::move(done));
}

void PermissionsCoordinator::requestAllFrom(int index, std::function<void()> done) {
    const QList<Permission> all = allCases<Permission>();
    for (int i = index; i < all.size(); ++i) {
        if (state(all.at(i)) != State::unknown)
            continue;
        // `done` answers also when the coordinator is gone by then.
        QPointer<PermissionsCoordinator> self(this);
        request(all.at(i), [self, i, done](State) {
            if (self)
                self->requestAllFrom(i + 1, done);
            else if (done)
                done();
        });
        return;
    }
    if (done)
        done();
}

namespace {

::Permission platformPermission(PermissionsCoordinator::Permission permission) {
    switch (permission) {
    case PermissionsCoordinator::Permission::calendar:
        return ::Permission::calendar;
    case PermissionsCoordinator::Permission::reminders:
        return ::Permission::reminders;
    case PermissionsCoordinator::Permission::camera:
        return ::Permission::camera;
    case PermissionsCoordinator::Permission::microphone:
        return ::Permission::microphone;
    case PermissionsCoordinator::Permission::notifications:
        break;
    }
    return ::Permission::notifications;
}

} // namespace

bool PermissionsCoordinator::openSettings(Permission permission) {
    return m_permissions.openSettings(platformPermission(permission));
}

bool PermissionsCoordinator::canOpenSettings(Permission permission) const {
    return m_permissions.canOpenSettings(platformPermission(permission));
}

bool PermissionsCoordinator::canOpenPrivacySettings() const {
    return m_permissions.canOpenPrivacySettings();
}

bool PermissionsCoordinator::hasUnaskedPermissions() const {
    for (Permission permission : allCases<Permission>()) {
        if (state(permission) == State::unknown)
            return true;
    }
    return false;
}

bool PermissionsCoordinator::openPrivacySettings() {
    return m_permissions.openPrivacySettings();
}

QString PermissionsCoordinator::title(Permission permission) {
    switch (permission) {
    case Permission::calendar:
        return QStringLiteral("Calendar");
    case Permission::reminders:
        return QStringLiteral("Reminders");
    case Permission::camera:
        return QStringLiteral("Camera");
    case Permission::microphone:
        return QStringLiteral("Microphone");
    case Permission::notifications:
        return QStringLiteral("Notifications");
    }
    return {};
}

QString PermissionsCoordinator::reason(Permission permission) {
    switch (permission) {
    case Permission::calendar:
        return QStringLiteral("View today's events in the notch panel.");
    case Permission::reminders:
        return QStringLiteral("View, complete, and quick-add reminders.");
    case Permission::camera:
        return QStringLiteral("Show a live mirror preview before meetings.");
    case Permission::microphone:
        return QStringLiteral("Mute your input from the notch.");
    case Permission::notifications:
        return QStringLiteral("Notify when timers finish.");
    }
    return {};
}

QString PermissionsCoordinator::symbolName(Permission permission) {
    switch (permission) {
    case Permission::calendar:
        return QStringLiteral("calendar");
    case Permission::reminders:
        return QStringLiteral("checklist");
    case Permission::camera:
        return QStringLiteral("camera");
    case Permission::microphone:
        return QStringLiteral("mic");
    case Permission::notifications:
        return QStringLiteral("bell.badge");
    }
    return {};
}
