#pragma once

#include <QObject>

#include <functional>

// A privacy authorisation as the platform reports it.
enum class PermissionStatus { notDetermined, restricted, denied, authorized, writeOnly, provisional };

enum class CaptureDevice { video, audio };

// What a privacy setting is about; the same five kinds the program asks for.
enum class Permission { calendar, reminders, camera, microphone, notifications };

// Capture-device authorisation and where the desktop lets the user change a permission.
class Permissions : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~Permissions() override = default;

    // The authorisation for a capture device (Linux has no per-application gate: authorized).
    virtual PermissionStatus captureStatus(CaptureDevice device) const = 0;
    // Asks for access to a capture device; reports to `done` once whether it is granted. `done`
    // runs only while `context` exists, as Qt drops a call to a destroyed receiver; a null
    // context is no guard.
    virtual void requestCaptureAccess(CaptureDevice device, const QObject* context,
                                      std::function<void(bool granted)> done) = 0;
    // Opens the place where the user grants or withdraws `permission`; false when the desktop has
    // none or it could not be opened (then nothing opens, and the reason is logged).
    virtual bool openSettings(Permission permission) = 0;
    // Opens the desktop's overview of privacy settings; false as above.
    virtual bool openPrivacySettings() = 0;
    // Whether the desktop has a place for `permission` that openSettings() can open, so that a
    // button for it is offered only where it leads somewhere.
    virtual bool canOpenSettings(Permission permission) const = 0;
    // Whether openPrivacySettings() has something to open.
    virtual bool canOpenPrivacySettings() const = 0;
};
