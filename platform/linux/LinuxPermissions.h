#pragma once

#include "platform/Permissions.h"

// Linux has no per-application privacy gates for capture devices and no privacy settings pages
// to open: cameras and microphones are authorized, requests are granted, and every settings
// page address (all of them "x-apple.systempreferences:...") opens nothing.
class LinuxPermissions final : public Permissions {
    Q_OBJECT
public:
    using Permissions::Permissions;

    // Always authorized.
    PermissionStatus captureStatus(CaptureDevice device) const override;
    // Calls `done(true)` at once, before returning.
    void requestCaptureAccess(CaptureDevice device, const QObject* context,
                              std::function<void(bool granted)> done) override;
    // Opens nothing and returns false; logs the address at debug level.
    bool openSettingsPage(const QString& address) override;
};
