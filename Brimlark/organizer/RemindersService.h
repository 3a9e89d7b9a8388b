#pragma once

#include "Brimlark/organizer/ReminderItem.h"
#include "platform/EventStore.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class PermissionsCoordinator;

// The user's reminders, from the calendar store the permissions coordinator holds: the lists, the
// reminders of the selected list (or of all lists), completing and quick-adding. It never asks for
// access, only reads whether it is granted (write-only counts as none). It refreshes when the
// store reports a change; it fetches nothing at creation.
//
// Only the most recently started refresh publishes `items`: a fetch that ends after a newer one
// started is dropped, so the rows always belong to the list the selection names.
class RemindersService : public QObject {
    Q_OBJECT
    Q_PROPERTY(QList<ReminderItem> items READ items NOTIFY itemsChanged)
    Q_PROPERTY(QList<EventStore::Calendar> lists READ lists NOTIFY listsChanged)
    Q_PROPERTY(std::optional<QString> selectedListID READ selectedListID WRITE setSelectedListID NOTIFY
                   selectedListIDChanged)
    Q_PROPERTY(std::optional<QString> lastError READ lastError NOTIFY lastErrorChanged)
public:
    // How a toggle or a quick add ended: `ignored` when nothing was tried (blank title, no access,
    // no such reminder), `saved`, or `failed` with the store's message.
    struct Outcome {
        enum class Kind { ignored, saved, failed };
        Kind kind = Kind::ignored;
        QString error;
    };

    explicit RemindersService(PermissionsCoordinator& permissions, QObject* parent = nullptr);

    // The reminders of the selected list, or of all lists when the selection names none of them,
    // by due date (equal dates in the store's order, undated last); completed ones included.
    const QList<ReminderItem>& items() const { return m_items; }
    // Every reminder list, in the store's order.
    const QList<EventStore::Calendar>& lists() const { return m_lists; }
    // The identifier of the selected list; in memory only. The first list after the first refresh.
    const std::optional<QString>& selectedListID() const { return m_selectedListID; }
    void setSelectedListID(const std::optional<QString>& identifier);
    // The message of the last failed toggle or quick add; never cleared.
    const std::optional<QString>& lastError() const { return m_lastError; }

    // Publishes the lists and then the reminders as the store answers (it may read off the main
    // thread). Without access both become empty at once.
    void refresh();
    // Marks the item's reminder the opposite of the item's own state, then refreshes. The store
    // saves off the main thread: `done` gets the outcome once it is known (before returning when
    // nothing is tried), and only while this service exists.
    void toggle(const ReminderItem& item, std::function<void(const Outcome&)> done = {});
    // Adds an open reminder titled `title` exactly as given (a blank one is ignored) to the selected
    // list, or to the store's default list when the selection names none; then refreshes. `done`
    // as for toggle().
    void quickAdd(const QString& title, std::function<void(const Outcome&)> done = {});
    // The list a new reminder goes to: the selected one when it is among the lists; with no
    // selection, the store's default list as of the last refresh; none when the selection names no
    // list.
    std::optional<EventStore::Calendar> selectedList() const;

    static ReminderItem itemFrom(const EventStore::Reminder& reminder);

signals:
    void itemsChanged(const QList<ReminderItem>& items);
    void listsChanged(const QList<EventStore::Calendar>& lists);
    void selectedListIDChanged(const std::optional<QString>& selectedListID);
    void lastErrorChanged(const std::optional<QString>& lastError);

private:
    bool hasAccess() const;
    // Publishes the lists, settles the selection and fetches the reminders it names.
    void fetchItems(const QList<EventStore::Calendar>& lists, quint64 generation);
    void publishItems(const QList<ReminderItem>& items);
    void publishLists(const QList<EventStore::Calendar>& lists);
    Outcome fail(const char* format, const QString& error);
    // The outcome of a store's save: a refresh after a saved one, lastError after a failed one.
    Outcome settle(const EventStore::SaveAnswer& answer, const char* format, const QString& missing);

    PermissionsCoordinator& m_permissions;
    QList<ReminderItem> m_items;
    QList<EventStore::Calendar> m_lists;
    std::optional<QString> m_selectedListID;
    // The store's list for new reminders, as the last refresh found it.
    std::optional<EventStore::Calendar> m_defaultList;
    std::optional<QString> m_lastError;
    // Counts refreshes; a fetch publishes only when it belongs to the latest.
    quint64 m_generation = 0;
};
