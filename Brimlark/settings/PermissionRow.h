#pragma once

#include "Brimlark/core/PermissionsCoordinator.h"

#include <QWidget>

class BrimlarkStatusBadge;
class QHBoxLayout;

// One permission on the permissions page: its symbol and name, what it is for, and a badge with
// its state ("granted", "denied", "not asked", "write only") on a tile.
class PermissionRow : public QWidget {
    Q_OBJECT
public:
    PermissionRow(PermissionsCoordinator::Permission permission, PermissionsCoordinator::State state,
                  QWidget* parent = nullptr);

    PermissionsCoordinator::Permission permission() const { return m_permission; }
    BrimlarkStatusBadge* badge() const { return m_badge; }
    void setState(PermissionsCoordinator::State state);

    static QString badgeText(PermissionsCoordinator::State state);
    static QColor badgeColor(PermissionsCoordinator::State state);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PermissionsCoordinator::Permission m_permission;
    QHBoxLayout* m_layout;
    BrimlarkStatusBadge* m_badge = nullptr;
};
