#pragma once

#include "Brimlark/core/PermissionsCoordinator.h"
#include "Brimlark/organizer/RemindersService.h"
#include "platform/fake/FakeClock.h"
#include "platform/fake/FakeEventStore.h"
#include "platform/fake/FakePermissions.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

// A reminders service over a fake store with granted access and two lists, "home" (Home) and
// "work" (Work), Home being the default for new reminders; a clock at 09:00 local time on Monday
// 5 January 2026.
struct RemindersFixture {
    FakeEventStore store;
    FakePermissions permissions;
    FakeClock clock{local(9, 0)};
    PermissionsCoordinator coordinator{store, permissions, nullptr};
    RemindersService service{coordinator};

    RemindersFixture() {
        store.reminders = PermissionStatus::authorized;
        store.lists = {list(QStringLiteral("work"), QStringLiteral("Work")),
                       list(QStringLiteral("home"), QStringLiteral("Home"))};
        store.defaultList = store.lists.at(1);
        coordinator.refresh();
    }

    static EventStore::Calendar list(const QString& id, const QString& title) {
        return {id, title, QColor(QStringLiteral("#ff9f0a"))};
    }
    static QDateTime local(int hour, int minute, int dayOffset = 0) {
        return QDateTime(QDate(2026, 1, 5).addDays(dayOffset), QTime(hour, minute));
    }

    EventStore::Reminder& add(const QString& id, const std::optional<QString>& title,
                              const QDateTime& due = {}, const QString& listId = QStringLiteral("work"),
                              bool completed = false) {
        EventStore::Reminder reminder;
        reminder.identifier = id;
        reminder.title = title;
        reminder.due = due;
        reminder.isCompleted = completed;
        reminder.listIdentifier = listId;
        for (const EventStore::Calendar& each : std::as_const(store.lists)) {
            if (each.identifier == listId) {
                reminder.listTitle = each.title;
                reminder.listColor = each.color;
            }
        }
        store.storedReminders.append(reminder);
        return store.storedReminders.last();
    }

    QStringList ids() const {
        QStringList result;
        for (const ReminderItem& item : service.items())
            result.append(item.id);
        return result;
    }
};
