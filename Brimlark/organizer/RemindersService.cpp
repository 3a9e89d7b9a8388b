#include "Brimlark/organizer/RemindersService.h"

#include "Brimlark/core/PermissionsCoordinator.h"
#include "platform/EventStore.h"

RemindersService::RemindersService(PermissionsCoordinator& permissions, QObject* parent)
    : QObject(parent), m_permissions(permissions) {
    connect(&m_permissions.eventStore(), &EventStore::changed, this, &RemindersService::refresh);
}

void RemindersService::refresh() {
    // The store offers no reminder queries yet: the list stays empty.
    emit itemsChanged();
}
