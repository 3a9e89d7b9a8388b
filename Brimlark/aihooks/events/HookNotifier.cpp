#include "Brimlark/aihooks/events/HookNotifier.h"

#include "Brimlark/aihooks/events/HookDisplayRules.h"
#include "Brimlark/aihooks/events/HookEventStore.h"
#include "Brimlark/aihooks/events/HookInputPreview.h"
#include "Brimlark/core/AppState.h"
#include "Brimlark/core/Logging.h"

#include <QStringList>

#include <utility>

HookNotifier::HookNotifier(const AppState& appState, const HookEventStore& store,
                           Notifications* notifications, QObject* parent)
    : QObject(parent), m_appState(appState), m_store(store), m_notifications(notifications) {
    connect(&m_store, &HookEventStore::eventsChanged, this, &HookNotifier::forgetUnstored);
}

void HookNotifier::forgetUnstored() {
    if (m_notifiedEventIDs.isEmpty())
        return;
    QSet<QUuid> stored;
    stored.reserve(m_store.events().size());
    for (const HookEvent& event : m_store.events())
        stored.insert(event.id);
    m_notifiedEventIDs.removeIf([&](const QUuid& id) { return !stored.contains(id); });
}

QString HookNotifier::notificationIdentifier(const QUuid& id) {
    return QStringLiteral("ai-hook-") + id.toString(QUuid::WithoutBraces).toUpper();
}

std::optional<NotificationContent> HookNotifier::notificationContent(const HookEvent& event) const {
    if (m_appState.notificationsMuted() || !HookDisplayRules::of(m_appState).shouldNotify(event))
        return std::nullopt;
    const bool codex = event.source == HookEvent::Source::codex;
    NotificationContent content;
    content.sound = true;
    content.subtitle = codex ? QStringLiteral("codex") : QStringLiteral("claude");
    content.title = codex ? QStringLiteral("codex is asking") : QStringLiteral("claude is asking");
    content.body = QStringLiteral("Brimlark has an update for you.");
    for (const std::optional<QString>* text : {&event.title, &event.detail, &event.eventName}) {
        if (*text && !(*text)->isEmpty()) {
            content.body = **text;
            break;
        }
    }
    // Two requests of one tool differ by what they would run: it goes on a line of its own, long
    // enough that commands which begin alike still read apart.
    if (const std::optional<QString> input = HookInputPreview::of(event, HookInputPreview::maxWrappedLength))
        content.body += QLatin1Char('\n') + *input;
    return content;
}

void HookNotifier::notify(const HookEvent& event) {
    if (m_appState.notificationsMuted() || !HookDisplayRules::of(m_appState).shouldNotify(event))
        return;
    // An event already gone again (a batch larger than the store) is not told of, nor kept.
    if (m_notifiedEventIDs.contains(event.id) || !m_store.contains(event.id))
        return;
    m_notifiedEventIDs.insert(event.id);
    if (!m_notifications)
        return;
    m_notifications->authorizationStatus(this, [this, event](NotificationAuthorization status) {
        if (status != NotificationAuthorization::authorized &&
            status != NotificationAuthorization::provisional)
            return;
        // The answer may come after the event was dismissed, evicted, cleared or settled: what is
        // posted is the event as it is stored now.
        const HookEvent* stored = m_store.find(event.id);
        if (!stored || !m_notifiedEventIDs.contains(event.id))
            return;
        const std::optional<NotificationContent> content = notificationContent(*stored);
        if (!content || !m_notifications)
            return;
        m_notifications->add(
            notificationIdentifier(event.id), *content, std::nullopt, nullptr, [](const QString& error) {
                if (!error.isEmpty())
                    qCCritical(lcHooks, "hook notification failed: %s", qUtf8Printable(error));
            });
    });
}

void HookNotifier::requestNotificationAuthorization() {
    if (!m_notifications)
        return;
    m_notifications->authorizationStatus(this, [this](NotificationAuthorization status) {
        if (!m_notifications || status != NotificationAuthorization::notDetermined)
            return;
        m_notifications->requestAuthorization(nullptr, [](bool, const QString&) {});
    });
}

void HookNotifier::withdraw(const QUuid& id) {
    m_notifiedEventIDs.remove(id);
    removeNotification(id);
}

void HookNotifier::withdrawAll() {
    const QSet<QUuid> notified = std::exchange(m_notifiedEventIDs, {});
    for (const QUuid& id : notified)
        removeNotification(id);
}

void HookNotifier::withdrawSettled(const QUuid& id) {
    // Only a question told of has anything to take back.
    if (m_notifiedEventIDs.contains(id))
        removeNotification(id);
}

void HookNotifier::removeNotification(const QUuid& id) {
    if (m_notifications) {
        const QStringList identifiers{notificationIdentifier(id)};
        m_notifications->removeDelivered(identifiers);
        m_notifications->removePending(identifiers);
    }
}
