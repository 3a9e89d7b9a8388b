#pragma once

#include "platform/Permissions.h"

#include <QObject>
#include <QString>

#include <functional>

// The user's calendars and reminders. Later work adds the queries; this is the part the
// permission checks need.
class EventStore : public QObject {
    Q_OBJECT
public:
    enum class Entity { event, reminder };

    using QObject::QObject;
    ~EventStore() override = default;

    // Whether the program may read events or reminders.
    virtual PermissionStatus authorizationStatus(Entity entity) const = 0;
    // Asks for full access; reports to `done` once whether it is granted, or an error text. `done`
    // runs only while `context` exists, as Qt drops a call to a destroyed receiver; a null
    // context is no guard.
    virtual void requestFullAccess(Entity entity, const QObject* context,
                                   std::function<void(bool granted, const QString& error)> done) = 0;

signals:
    // The store's content or its authorisation changed.
    void changed();
};
