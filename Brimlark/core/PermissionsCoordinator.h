#pragma once

#include "platform/Notifications.h"
#include "platform/Permissions.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class EventStore;

// Whether the five privacy permissions are granted, asking for them, and the one calendar store
// that the calendar and reminders services share. Linux has no per-application gates for camera
// and microphone (they read as granted); notifications follow the notification server, calendars
// and reminders the calendar store.
class PermissionsCoordinator : public QObject {
    Q_OBJECT
public:
    // The platform's ::Permission, case for case.
    enum class Permission { calendar, reminders, camera, microphone, notifications };
    Q_ENUM(Permission)
    enum class State { unknown, granted, denied, writeOnly };
    Q_ENUM(State)

    // `notifications` may be null: that permission then stays unknown and a request denies it.
    PermissionsCoordinator(EventStore& eventStore, Permissions& permissions, Notifications* notifications,
                           QObject* parent = nullptr);

    // The process-wide coordinator, created on first use.
    static PermissionsCoordinator& shared();

    State calendar() const { return m_calendar; }
    State reminders() const { return m_reminders; }
    State camera() const { return m_camera; }
    State microphone() const { return m_microphone; }
    State notifications() const { return m_notifications; }
    State state(Permission permission) const;
    // Cases not granted (write-only, denied and unknown count), in declaration order.
    QList<Permission> missingPermissions() const;
    // Cases denied, in declaration order.
    QList<Permission> deniedPermissions() const;

    // The store the calendar and reminders services query.
    EventStore& eventStore() const { return m_eventStore; }

    // Re-reads the four synchronous states at once; notifications follow on a later turn.
    void refresh();

    using Done = std::function<void(State)>;
    void requestCalendar(Done done = {});
    void requestReminders(Done done = {});
    void requestCamera(Done done = {});
    void requestMicrophone(Done done = {});
    void requestNotifications(Done done = {});
    // Asks, one after another, for every permission still unknown.
    void requestAll(std::function<void()> done = {});

    // Opens where the desktop lets the user change a permission, or its privacy overview; whether
    // something opened (the platform logs why not).
    bool openSettings(Permission permission);
    bool openPrivacySettings();
    // Whether the desktop has a place for `permission` that openSettings() can open.
    bool canOpenSettings(Permission permission) const;
    bool canOpenPrivacySettings() const;
    // Whether requestAll() has anything left to ask: a permission still unknown.
    bool hasUnaskedPermissions() const;

    // What a permission is called ("Calendar"), one sentence on what it is for, and the symbol
    // drawn beside it, as the permission card, the permissions page and the first-run steps show
    // them.
    static QString title(Permission permission);
    static QString reason(Permission permission);
    static QString symbolName(Permission permission);

    static State fromEventStore(PermissionStatus status);
    static State fromCaptureDevice(PermissionStatus status);
    static State fromNotifications(NotificationAuthorization status);

signals:
    void stateChanged(PermissionsCoordinator::Permission permission, PermissionsCoordinator::State state);

private:
    void set(Permission permission, State state);
    void requestAllFrom(int index, std::function<void()> done);
    void request(Permission permission, Done done);

    EventStore& m_eventStore;
    Permissions& m_permissions;
    Notifications* m_notificationCenter;
    State m_calendar = State::unknown;
    State m_reminders = State::unknown;
    State m_camera = State::unknown;
    State m_microphone = State::unknown;
    State m_notifications = State::unknown;
};
