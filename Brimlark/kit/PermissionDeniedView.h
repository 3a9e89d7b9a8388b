#pragma once

#include "Brimlark/core/PermissionsCoordinator.h"

#include <QWidget>

#include <functional>

// The card a page shows in place of its content while a permission it needs is missing: a shield,
// "<permission> access required", why the permission is wanted, "allow" (only when the page gives
// an action) and "open system settings" for that permission. It keeps no state and does not follow
// the coordinator; the page that holds it decides when it shows.
class PermissionDeniedView : public QWidget {
    Q_OBJECT
public:
    // `coordinator` opens the permission's settings (null, or a desktop without a place for them:
    // that button is disabled).
    PermissionDeniedView(PermissionsCoordinator::Permission permission, std::function<void()> onRequest,
                         PermissionsCoordinator* coordinator, QWidget* parent = nullptr);

    // Why "open system settings" cannot be pressed where the desktop has no place for the permission.
    static QString noSettingsReason();
    // "calendar access required".
    static QString headline(PermissionsCoordinator::Permission permission);
};
