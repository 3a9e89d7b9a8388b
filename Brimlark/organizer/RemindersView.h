#pragma once

#include "Brimlark/organizer/ReminderItem.h"
#include "platform/EventStore.h"

#include <QPointer>
#include <QWidget>

class Clock;
class LineClampLabel;
class PermissionsCoordinator;
class QLineEdit;
class QVBoxLayout;
class RemindersService;

// The advanced panel's reminders page. Without reminders access (write-only counts as none) it
// shows the permission card, whose "allow" asks for access and then refreshes. With access: the
// title, the list menu and the open-count pill, the quick-add field on its card, and the reminders
// as rows with a completion button, or "nothing pending — nice." when there are none. The layout
// with access asks the service to refresh each time it comes on screen.
//
// A quick add that fails gives the typed text back (when the field is still empty) and shows the
// store's message on one line under the field, until the next quick add or toggle that succeeds.
class RemindersView : public QWidget {
    Q_OBJECT
public:
    enum class Layout { permission, reminders };

    // `clock` (null: the system's) decides which due dates are past.
    RemindersView(RemindersService& service, PermissionsCoordinator& permissions, Clock* clock = nullptr,
                  QWidget* parent = nullptr);

    Layout shownLayout() const { return m_layout; }
    // The items not completed.
    int pendingCount() const;
    // "all lists" when the selection names no list, else the selected list's title.
    QString selectedListTitle() const;
    // The quick-add field's text.
    QString draft() const;
    void setDraft(const QString& text);
    // The failed quick add's message as shown, or empty when none shows.
    QString errorText() const;

    // When `item` is due, as its row shows it: the day alone for a reminder due on a day, else the
    // day and the time in hours and minutes; empty when it has no due date.
    static QString dueText(const ReminderItem& item);

    // Selects `list` at once, then refreshes.
    void selectList(const EventStore::Calendar& list);
    // Adds the trimmed draft as a reminder (a blank draft is left as it is).
    void submitDraft();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void rebuild();
    void rebuildControls();
    void rebuildList();
    QWidget* buildReminders();
    QWidget* buildRow(const ReminderItem& item);
    void showError(const QString& text);
    void refreshSoon();

    RemindersService& m_service;
    PermissionsCoordinator& m_permissions;
    Clock* m_clock;
    Layout m_layout = Layout::permission;
    bool m_built = false;
    QPointer<QWidget> m_content;
    QPointer<QWidget> m_controls;
    QPointer<QVBoxLayout> m_controlsHolder;
    QPointer<QWidget> m_list;
    QPointer<QVBoxLayout> m_listHolder;
    QPointer<QLineEdit> m_field;
    QPointer<LineClampLabel> m_error;
};
