#pragma once

#include "platform/ContextCallback.h"
#include "platform/Notifications.h"

#include <QList>
#include <QMap>

// Records what was asked; a test sets the authorisation and scripts failures.
class FakeNotifications final : public Notifications {
    Q_OBJECT
public:
    using Notifications::Notifications;

    struct Added {
        QString identifier;
        NotificationContent content;
        std::optional<std::chrono::milliseconds> delay;
    };

    // Each answers before returning (authorizationStatus: unless held).
    void authorizationStatus(const QObject* context,
                             std::function<void(NotificationAuthorization)> done) override;
    void requestAuthorization(const QObject* context,
                              std::function<void(bool, const QString&)> done) override;
    void add(const QString& identifier, const NotificationContent& content,
             std::optional<std::chrono::milliseconds> delay, const QObject* context,
             std::function<void(const QString&)> done) override;
    void removeDelivered(const QStringList& identifiers) override;
    void removePending(const QStringList& identifiers) override;

    // What the fake answers and does.
    NotificationAuthorization authorization = NotificationAuthorization::authorized;
    // Whether a request grants (and sets `authorization` to authorized) or denies.
    bool grantOnRequest = true;
    // When not empty, add() fails with this text.
    QString addError;
    // When set, authorizationStatus() keeps its callbacks until answerHeldAuthorizations(), as a
    // server that answers later does; a callback whose context is gone by then is dropped.
    bool holdAuthorization = false;
    void answerHeldAuthorizations();

    // What was asked, in order.
    QList<Added> added;
    QStringList removedDelivered;
    QStringList removedPending;
    int authorizationRequests = 0;

private:
    QList<ContextCallback<void(NotificationAuthorization)>> m_heldAuthorizations;
};
