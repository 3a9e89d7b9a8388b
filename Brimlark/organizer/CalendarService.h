#pragma once

#include "Brimlark/organizer/CalendarItem.h"

#include <QObject>

#include <optional>

class PermissionsCoordinator;

// Today's events and the next one, from the calendar store the permissions coordinator holds. It
// refreshes when the store reports a change; it fetches nothing at creation.
class CalendarService : public QObject {
    Q_OBJECT
public:
    explicit CalendarService(PermissionsCoordinator& permissions, QObject* parent = nullptr);

    // The next event of the coming 48 hours whose end lies ahead; empty without calendar access.
    const std::optional<CalendarItem>& nextEvent() const { return m_nextEvent; }

    // Reads the store again.
    void refresh();

signals:
    void nextEventChanged(const std::optional<CalendarItem>& nextEvent);

private:
    void setNextEvent(const std::optional<CalendarItem>& next);

    PermissionsCoordinator& m_permissions;
    std::optional<CalendarItem> m_nextEvent;
};
