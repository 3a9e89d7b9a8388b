#pragma once

#include "Brimlark/aihooks/events/HookEvent.h"
#include "platform/Notifications.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QUuid>

#include <optional>

class AppState;
class HookEventStore;

// Posts a notification for each stored event that asks, once per id, unless muted, filtered out
// or not permitted; withdraws it when the event goes or its question is settled. Without notifications
// nothing is posted, but the ids are recorded all the same. An id is kept only while its event is stored, so
// what is kept never outgrows the store.
class HookNotifier : public QObject {
    Q_OBJECT

public:
    HookNotifier(const AppState& appState, const HookEventStore& store, Notifications* notifications,
                 QObject* parent = nullptr);

    // The ids for which a notification was started (or withheld for want of permission).
    const QSet<QUuid>& notifiedEventIDs() const { return m_notifiedEventIDs; }

    // Posts the event's notification once per id, unless muted, filtered out or not permitted, or
    // the event is no longer stored when the permission is known.
    void notify(const HookEvent& event);
    // What the notification shows, or nothing when it should not be posted now.
    std::optional<NotificationContent> notificationContent(const HookEvent& event) const;
    // "ai-hook-" followed by the id in upper-case hexadecimal with hyphens.
    static QString notificationIdentifier(const QUuid& id);
    // Asks for notification permission when the user was never asked.
    void requestNotificationAuthorization();

    // Forgets the id and removes its shown or pending notification.
    void withdraw(const QUuid& id);
    // Removes the shown or pending notification of a question that was settled (the tool moved on
    // without an answer from here). The id stays known, so the settled event is not told of again.
    void withdrawSettled(const QUuid& id);
    // Forgets every id and removes each one's shown or pending notification.
    void withdrawAll();

private:
    void removeNotification(const QUuid& id);
    // Drops the ids whose events the store no longer holds.
    void forgetUnstored();

    const AppState& m_appState;
    const HookEventStore& m_store;
    Notifications* m_notifications;
    QSet<QUuid> m_notifiedEventIDs;
};
