#pragma once

#include "platform/Permissions.h"

#include <QStringList>

class FakePermissions final : public Permissions {
    Q_OBJECT
public:
    using Permissions::Permissions;

    PermissionStatus captureStatus(CaptureDevice device) const override {
        return device == CaptureDevice::video ? video : audio;
    }
    void requestCaptureAccess(CaptureDevice device, std::function<void(bool)> done) override {
        (device == CaptureDevice::video ? video : audio) =
            grantOnRequest ? PermissionStatus::authorized : PermissionStatus::denied;
        done(grantOnRequest);
    }
    bool openSettingsPage(const QString& address) override {
        openedPages.append(address);
        return false;
    }

    PermissionStatus video = PermissionStatus::authorized;
    PermissionStatus audio = PermissionStatus::authorized;
    bool grantOnRequest = true;
    QStringList openedPages;
};
