#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

class BrimlarkRoundedButton;
class QAbstractButton;
class PermissionRow;
class PermissionsCoordinator;

// The settings window's permissions page: why the program asks, "allow all permissions",
// "refresh statuses" and "open system settings", and one row per permission with its state. It
// shows the coordinator's states as they stand and follows their changes.
class PermissionsTab : public QWidget {
    Q_OBJECT
public:
    explicit PermissionsTab(PermissionsCoordinator& permissions, QWidget* parent = nullptr);

    BrimlarkRoundedButton* allowAllButton() const { return m_allowAll; }
    BrimlarkRoundedButton* refreshButton() const { return m_refresh; }
    BrimlarkRoundedButton* systemSettingsButton() const { return m_systemSettings; }
    const QList<PermissionRow*>& rows() const { return m_rows; }

private:
    void showAllowAll();
    void openSystemSettings();
    static void disableWithReason(QAbstractButton* button, const QString& reason);

    QPointer<PermissionsCoordinator> m_permissions;
    BrimlarkRoundedButton* m_allowAll;
    BrimlarkRoundedButton* m_refresh;
    BrimlarkRoundedButton* m_systemSettings;
    QList<PermissionRow*> m_rows;
};
