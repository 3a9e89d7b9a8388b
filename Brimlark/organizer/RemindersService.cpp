#include "Brimlark/organizer/RemindersService.h"

#include "Brimlark/core/Logging.h"
#include "Brimlark/core/PermissionsCoordinator.h"

#include <QPointer>

#include <algorithm>
#include <limits>
#include <numeric>

RemindersService::RemindersService(PermissionsCoordinator& permissions, QObject* parent)
    : QObject(parent), m_permissions(permissions) {
    connect(&m_permissions.eventStore(), &EventStore::changed, this, &RemindersService::refresh);
}

bool RemindersService::hasAccess() const {
    return m_permissions.reminders() == PermissionsCoordinator::State::granted;
}

void RemindersService::setSelectedListID(const std::optional<QString>& identifier) {
    if (m_selectedListID == identifier)
        return;
    m_selectedListID = identifier;
    emit selectedListIDChanged(m_selectedListID);
}

void RemindersService::publishItems(const QList<ReminderItem>& items) {
    if (m_items == items)
        return;
    m_items = items;
    emit itemsChanged(m_items);
}

void RemindersService::publishLists(const QList<EventStore::Calendar>& lists) {
    if (m_lists == lists)
        return;
    m_lists = lists;
    emit listsChanged(m_lists);
}

ReminderItem RemindersService::itemFrom(const EventStore::Reminder& reminder) {
    ReminderItem item;
    item.id = reminder.identifier;
    item.title = reminder.title ? *reminder.title : QStringLiteral("(Untitled)");
    item.isCompleted = reminder.isCompleted;
    if (reminder.due.isValid()) {
        item.dueDate = reminder.due;
        item.dueIsDate = reminder.dueIsDate;
    }
    if (!reminder.listIdentifier.isEmpty()) {
        item.listName = reminder.listTitle.value_or(reminder.listIdentifier);
        item.listColor = reminder.listColor;
    }
    return item;
}

void RemindersService::refresh() {
    const quint64 generation = ++m_generation;
    if (!hasAccess()) {
        publishItems({});
        publishLists({});
        return;
    }
    m_permissions.eventStore().fetchReminderLists(
        this, [this, generation](const QList<EventStore::Calendar>& lists,
                                 const std::optional<EventStore::Calendar>& defaultList) {
            if (generation != m_generation)
                return;
            m_defaultList = defaultList;
            fetchItems(lists, generation);
        });
}

void RemindersService::fetchItems(const QList<EventStore::Calendar>& lists, quint64 generation) {
    publishLists(lists);
    if (!m_selectedListID && !m_lists.isEmpty())
        setSelectedListID(m_lists.first().identifier);

    std::optional<EventStore::Calendar> chosen;
    if (m_selectedListID) {
        const auto match =
            std::find_if(m_lists.begin(), m_lists.end(), [this](const EventStore::Calendar& list) {
                return list.identifier == *m_selectedListID;
            });
        if (match != m_lists.end())
            chosen = *match;
    }
    m_permissions.eventStore().fetchReminders(
        chosen, this, [this, generation](const QList<EventStore::Reminder>& reminders) {
            if (generation != m_generation)
                return; // a newer refresh has started; its answer decides
            QList<qint64> keys;
            keys.reserve(reminders.size());
            for (const EventStore::Reminder& reminder : reminders)
                keys.append(reminder.due.isValid() ? reminder.due.toMSecsSinceEpoch()
                                                   : std::numeric_limits<qint64>::max());
            QList<qsizetype> order(reminders.size());
            std::iota(order.begin(), order.end(), 0);
            std::stable_sort(order.begin(), order.end(),
                             [&](qsizetype a, qsizetype b) { return keys[a] < keys[b]; });
            QList<ReminderItem> items;
            items.reserve(reminders.size());
            for (const qsizetype index : order)
                items.append(itemFrom(reminders[index]));
            publishItems(items);
        });
}

RemindersService::Outcome RemindersService::fail(const char* format, const QString& error) {
    m_lastError = error;
    emit lastErrorChanged(m_lastError);
    qCCritical(lcServices, format, qUtf8Printable(error));
    return {Outcome::Kind::failed, error};
}

RemindersService::Outcome RemindersService::settle(const EventStore::SaveAnswer& answer, const char* format,
                                                   const QString& missing) {
    switch (answer.kind) {
    case EventStore::SaveAnswer::Kind::saved:
        refresh();
        return {Outcome::Kind::saved, {}};
    case EventStore::SaveAnswer::Kind::failed:
        return fail(format, answer.error);
    case EventStore::SaveAnswer::Kind::missing:
        break;
    }
    if (missing.isEmpty())
        return {};
    return fail(format, missing);
}

void RemindersService::toggle(const ReminderItem& item, std::function<void(const Outcome&)> done) {
    if (!hasAccess()) {
        if (done)
            done({});
        return;
    }
    m_permissions.eventStore().saveReminderCompleted(
        item.id, !item.isCompleted, this, [this, done](const EventStore::SaveAnswer& answer) {
            // A reminder that is gone was changed elsewhere: nothing to report.
            const Outcome outcome = settle(answer, "toggle reminder failed: %s", QString());
            if (done)
                done(outcome);
        });
}

void RemindersService::quickAdd(const QString& title, std::function<void(const Outcome&)> done) {
    if (title.trimmed().isEmpty() || !hasAccess()) {
        if (done)
            done({});
        return;
    }
    // A selection that names a list adds to it; otherwise the store picks its default list when it
    // saves, from its files as they are then.
    std::optional<EventStore::Calendar> list;
    if (m_selectedListID)
        list = selectedList();
    m_permissions.eventStore().saveNewReminder(
        title, list, this, [this, done](const EventStore::SaveAnswer& answer) {
            const Outcome outcome =
                settle(answer, "quick add failed: %s",
                       QStringLiteral("There is no reminder list to add the reminder to."));
            if (done)
                done(outcome);
        });
}

std::optional<EventStore::Calendar> RemindersService::selectedList() const {
    if (!m_selectedListID)
        return m_defaultList;
    for (const EventStore::Calendar& list : m_lists) {
        if (list.identifier == *m_selectedListID)
            return list;
    }
    return std::nullopt;
}
