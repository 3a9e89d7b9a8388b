#pragma once

#include "platform/ContextCallback.h"
#include "platform/Permissions.h"

#include <QList>

class FakePermissions final : public Permissions {
    Q_OBJECT
public:
    using Permissions::Permissions;

    PermissionStatus captureStatus(CaptureDevice device) const override {
        return device == CaptureDevice::video ? video : audio;
    }
    // Answers before returning.
    void requestCaptureAccess(CaptureDevice device, const QObject* context,
                              std::function<void(bool)> done) override {
        requested.append(device);
        (device == CaptureDevice::video ? video : audio) =
            grantOnRequest ? PermissionStatus::authorized : PermissionStatus::denied;
        ContextCallback<void(bool)>(context, std::move(done))(grantOnRequest);
    }
    bool openSettings(Permission permission) override {
        openedSettings.append(permission);
        return settingsOpen;
    }
    bool openPrivacySettings() override {
        ++privacySettingsOpenings;
        return settingsOpen;
    }
    bool canOpenSettings(Permission) const override { return settingsPresent; }
    bool canOpenPrivacySettings() const override { return settingsPresent; }

    PermissionStatus video = PermissionStatus::authorized;
    PermissionStatus audio = PermissionStatus::authorized;
    bool grantOnRequest = true;
    QList<CaptureDevice> requested;
    // What the settings calls answer.
    bool settingsOpen = false;
    // What canOpenSettings() and canOpenPrivacySettings() answer.
    bool settingsPresent = true;
    QList<Permission> openedSettings;
    int privacySettingsOpenings = 0;
};
