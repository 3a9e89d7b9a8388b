#pragma once

#include <QObject>
#include <QString>

#include <functional>

// A privacy authorisation as the platform reports it.
enum class PermissionStatus { notDetermined, restricted, denied, authorized, writeOnly, provisional };

enum class CaptureDevice { video, audio };

// Capture-device authorisation and the system's privacy settings pages.
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
    // Opens a page of the system's settings by its address; false when no such page exists
    // (then nothing opens, and a debug line is logged).
    virtual bool openSettingsPage(const QString& address) = 0;
};
