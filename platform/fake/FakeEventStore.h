#pragma once

#include "platform/ContextCallback.h"
#include "platform/EventStore.h"

class FakeEventStore final : public EventStore {
    Q_OBJECT
public:
    using EventStore::EventStore;

    PermissionStatus authorizationStatus(Entity entity) const override {
        return entity == Entity::event ? events : reminders;
    }
    // Answers before returning.
    void requestFullAccess(Entity entity, const QObject* context,
                           std::function<void(bool, const QString&)> done) override {
        ++requests;
        const ContextCallback<void(bool, const QString&)> reply(context, std::move(done));
        if (!requestError.isEmpty()) {
            reply(false, requestError);
            return;
        }
        (entity == Entity::event ? events : reminders) =
            grantOnRequest ? PermissionStatus::authorized : PermissionStatus::denied;
        reply(grantOnRequest, QString());
    }

    PermissionStatus events = PermissionStatus::notDetermined;
    PermissionStatus reminders = PermissionStatus::notDetermined;
    bool grantOnRequest = true;
    QString requestError;
    int requests = 0;
};
