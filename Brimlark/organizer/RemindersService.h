#pragma once

#include <QObject>

class PermissionsCoordinator;

// The user's reminders, from the calendar store the permissions coordinator holds. It refreshes
// when the store reports a change.
class RemindersService : public QObject {
    Q_OBJECT
public:
    explicit RemindersService(PermissionsCoordinator& permissions, QObject* parent = nullptr);

    // Reads the store again.
    void refresh();

signals:
    void itemsChanged();

private:
    PermissionsCoordinator& m_permissions;
};
