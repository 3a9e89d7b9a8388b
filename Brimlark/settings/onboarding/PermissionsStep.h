#pragma once

#include "Brimlark/core/PermissionsCoordinator.h"

#include <QMap>
#include <QWidget>

#include <optional>

class BrimlarkStatusBadge;
class QAbstractButton;

// The second onboarding step: the five privacy permissions, each with what it is for and either
// "ready" or an "allow" button, above "allow all permissions" and, while one is refused, "open
// denied permission". Everything follows the coordinator's states; each request ends by bringing
// the onboarding window forward again, since the desktop's prompt may have taken the focus.
class PermissionsStep : public QWidget {
    Q_OBJECT
public:
    explicit PermissionsStep(PermissionsCoordinator& permissions, QWidget* parent = nullptr);

    // Asks for every permission not yet decided, then brings the window forward.
    void allowAll();
    // Asks for one permission (notifications through the notification server; a failed request
    // leaves it denied), then brings the window forward.
    void request(PermissionsCoordinator::Permission permission);

private:
    using Permission = PermissionsCoordinator::Permission;
    struct Row {
        QWidget* card = nullptr;
        BrimlarkStatusBadge* ready = nullptr;
        QAbstractButton* allow = nullptr;
    };

    QWidget* permissionRow(Permission permission);
    void showStates();
    // The first refused permission whose settings the desktop can open.
    std::optional<Permission> openableDenied() const;
    // An empty reason enables `button`; else it is disabled and tells why.
    static void setReason(QAbstractButton* button, const QString& reason);

    PermissionsCoordinator& m_permissions;
    QAbstractButton* m_allowAll = nullptr;
    QAbstractButton* m_openDenied = nullptr;
    QMap<Permission, Row> m_rows;
};

// Raises and activates the shown onboarding window, found by its name among the top-level
// windows, and returns it; nothing (and null) once it is closed. The window manager may still
// refuse the focus.
QWidget* bringOnboardingWindowForward();
