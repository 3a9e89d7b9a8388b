#include "platform/fake/FakeNotifications.h"

#include <utility>

void FakeNotifications::authorizationStatus(const QObject* context,
                                            std::function<void(NotificationAuthorization)> done) {
    const ContextCallback<void(NotificationAuthorization)> reply(context, std::move(done));
    if (holdAuthorization)
        m_heldAuthorizations.append(reply);
    else
        reply(authorization);
}

void FakeNotifications::answerHeldAuthorizations() {
    const QList<ContextCallback<void(NotificationAuthorization)>> held =
        std::exchange(m_heldAuthorizations, {});
    for (const auto& reply : held)
        reply(authorization);
}

void FakeNotifications::requestAuthorization(const QObject* context,
                                             std::function<void(bool, const QString&)> done) {
    ++authorizationRequests;
    const ContextCallback<void(bool, const QString&)> reply(context, std::move(done));
    if (holdRequests)
        m_heldRequests.append(reply);
    else
        answerRequest(reply);
}

void FakeNotifications::answerHeldRequests() {
    const QList<ContextCallback<void(bool, const QString&)>> held = std::exchange(m_heldRequests, {});
    for (const auto& reply : held)
        answerRequest(reply);
}

void FakeNotifications::answerRequest(const ContextCallback<void(bool, const QString&)>& reply) {
    const bool granted = grantOnRequest && requestError.isEmpty();
    authorization = granted ? NotificationAuthorization::authorized : NotificationAuthorization::denied;
    reply(granted, requestError);
}

void FakeNotifications::add(const QString& identifier, const NotificationContent& content,
                            std::optional<std::chrono::milliseconds> delay, const QObject* context,
                            std::function<void(const QString&)> done) {
    if (addError.isEmpty())
        added.append({identifier, content, delay});
    ContextCallback<void(const QString&)>(context, std::move(done))(addError);
}

void FakeNotifications::removeDelivered(const QStringList& identifiers) {
    removedDelivered += identifiers;
}

void FakeNotifications::removePending(const QStringList& identifiers) {
    removedPending += identifiers;
}
