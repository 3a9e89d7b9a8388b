#include "platform/fake/FakeNotifications.h"

#include <utility>

void FakeNotifications::authorizationStatus(std::function<void(NotificationAuthorization)> done) {
    if (holdAuthorization)
        m_heldAuthorizations.append(std::move(done));
    else
        done(authorization);
}

void FakeNotifications::answerHeldAuthorizations() {
    const QList<std::function<void(NotificationAuthorization)>> held =
        std::exchange(m_heldAuthorizations, {});
    for (const auto& done : held)
        done(authorization);
}

void FakeNotifications::requestAuthorization(std::function<void(bool, const QString&)> done) {
    ++authorizationRequests;
    authorization =
        grantOnRequest ? NotificationAuthorization::authorized : NotificationAuthorization::denied;
    done(grantOnRequest, QString());
}

void FakeNotifications::add(const QString& identifier, const NotificationContent& content,
                            std::optional<std::chrono::milliseconds> delay,
                            std::function<void(const QString&)> done) {
    if (addError.isEmpty())
        added.append({identifier, content, delay});
    if (done)
        done(addError);
}

void FakeNotifications::removeDelivered(const QStringList& identifiers) {
    removedDelivered += identifiers;
}

void FakeNotifications::removePending(const QStringList& identifiers) {
    removedPending += identifiers;
}
