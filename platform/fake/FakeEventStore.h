#pragma once

#include "platform/EventStore.h"

class FakeEventStore final : public EventStore {
    Q_OBJECT
public:
    using EventStore::EventStore;

    PermissionStatus authorizationStatus(Entity entity) const override {
        return entity == Entity::event ? events : reminders;
    }
    void requestFullAccess(Entity entity, std::function<void(bool, const QString&)> done) override {
        ++requests;
        if (!requestError.isEmpty()) {
            done(false, requestError);
            return;
        }
        (entity == Entity::event ? events : reminders) =
            grantOnRequest ? PermissionStatus::authorized : PermissionStatus::denied;
        done(grantOnRequest, QString());
    }

    PermissionStatus events = PermissionStatus::notDetermined;
    PermissionStatus reminders = PermissionStatus::notDetermined;
    bool grantOnRequest = true;
    QString requestError;
    int requests = 0;
};
