#include "Brimlark/organizer/CalendarService.h"

#include "Brimlark/core/PermissionsCoordinator.h"
#include "platform/EventStore.h"

CalendarService::CalendarService(PermissionsCoordinator& permissions, QObject* parent)
    : QObject(parent), m_permissions(permissions) {
    connect(&m_permissions.eventStore(), &EventStore::changed, this, &CalendarService::refresh);
}

void CalendarService::setNextEvent(const std::optional<CalendarItem>& next) {
    m_nextEvent = next;
    emit nextEventChanged(m_nextEvent);
}

void CalendarService::refresh() {
    // The store offers no event queries yet, so even with access there is no next event to show.
    setNextEvent(std::nullopt);
}
