#pragma once

#include "Brimlark/core/PermissionsCoordinator.h"
#include "Brimlark/kit/LineClampLabel.h"
#include "Brimlark/organizer/CalendarService.h"
#include "platform/fake/FakeClock.h"
#include "platform/fake/FakeEventStore.h"
#include "platform/fake/FakePermissions.h"
#include "platform/fake/FakeWorkspace.h"
#include "tests/support/DarkHost.h"

#include <QAbstractButton>
#include <QDate>
#include <QDateTime>
#include <QLabel>
#include <QTime>
#include <QWidget>

// A calendar service over a fake store with one calendar ("work"), granted access, a clock at
// 09:00 local time on Monday 5 January 2026 and a workspace that records what it opens.
struct CalendarFixture {
    FakeEventStore store;
    FakePermissions permissions;
    FakeClock clock{local(9, 0)};
    FakeWorkspace workspace;
    PermissionsCoordinator coordinator{store, permissions, nullptr};
    CalendarService service{coordinator, &workspace, &clock};

    CalendarFixture() {
        store.events = PermissionStatus::authorized;
        store.calendars = {
            {QStringLiteral("work"), QStringLiteral("Work"), QColor(QStringLiteral("#4a90e2"))}};
        coordinator.refresh();
    }

    static QDateTime local(int hour, int minute, int second = 0, int dayOffset = 0) {
        return QDateTime(QDate(2026, 1, 5).addDays(dayOffset), QTime(hour, minute, second));
    }

    // A timed event in the "work" calendar.
    EventStore::Event& add(const QString& id, const QString& title, const QDateTime& start,
                           const QDateTime& end) {
        EventStore::Event event;
        event.identifier = id;
        event.externalIdentifier = id;
        event.title = title;
        event.start = start;
        event.end = end;
        event.calendarIdentifier = QStringLiteral("work");
        event.calendarColor = store.calendars.value(0).color;
        store.storedEvents.append(event);
        return store.storedEvents.last();
    }
};

namespace calendar_test {

// The texts of the visible buttons and labels under `root`, in creation order.
inline QStringList buttonTexts(const QWidget* root) {
    QStringList texts;
    for (const QAbstractButton* button : root->findChildren<QAbstractButton*>()) {
        if (!button->text().isEmpty() && button->isVisibleTo(root))
            texts.append(button->text());
    }
    return texts;
}
inline QStringList labelTexts(const QWidget* root) {
    QStringList texts;
    for (const QWidget* widget : root->findChildren<QWidget*>()) {
        QString text;
        if (const auto* label = qobject_cast<const QLabel*>(widget))
            text = label->text();
        else if (const auto* clamped = qobject_cast<const LineClampLabel*>(widget))
            text = clamped->text();
        if (!text.isEmpty() && widget->isVisibleTo(root))
            texts.append(text);
    }
    return texts;
}

} // namespace calendar_test
