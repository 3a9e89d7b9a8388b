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
    authorization =
        grantOnRequest ? NotificationAuthorization::authorized : NotificationAuthorization::denied;
    ContextCallback<void(bool, const QString&)>(context, std::move(done))(grantOnRequest, QString());
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
