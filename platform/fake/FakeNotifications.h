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

    // Each answers before returning (authorizationStatus and requestAuthorization: unless held).
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
    // When not empty, a request is refused with this error text.
    QString requestError;
    // When set, requestAuthorization() keeps its callbacks until answerHeldRequests(), as a user
    // who has not yet answered the prompt does; the answer is decided when it is given.
    bool holdRequests = false;
    void answerHeldRequests();

    // What was asked, in order.
    QList<Added> added;
    QStringList removedDelivered;
    QStringList removedPending;
    int authorizationRequests = 0;

private:
    void answerRequest(const ContextCallback<void(bool, const QString&)>& reply);

    QList<ContextCallback<void(NotificationAuthorization)>> m_heldAuthorizations;
    QList<ContextCallback<void(bool, const QString&)>> m_heldRequests;
};
