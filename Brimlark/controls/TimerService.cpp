#include "Brimlark/controls/TimerService.h"

#include "Brimlark/core/AppState.h"
#include "Brimlark/core/Logging.h"
#include "platform/ContextCallback.h"
#include "platform/Notifications.h"

#include <QPointer>

#include <algorithm>
#include <cmath>

using namespace std::chrono_literals;

namespace {
constexpr auto tickInterval = 500ms;
constexpr auto clearDelay = 2000ms;
// Far beyond any countdown, yet small enough that its milliseconds fit a date and an integer.
constexpr double longestSeconds = 1e12;

// `seconds` made safe to round and to add to a date: not a number and the infinities count as 0,
// everything else is held within plus or minus `longestSeconds`.
double boundedSeconds(double seconds) {
    if (!std::isfinite(seconds))
        return 0.0;
    return std::clamp(seconds, -longestSeconds, longestSeconds);
}

// How long until what a running timer shows next changes: its time in whole seconds (to the
// nearest, so a second ends half a second before its mark), the icon's colour at 60 s left and the
// end itself. After the end the ticks run at the old pace until the timer clears.
std::chrono::milliseconds nextTickDelay(const TimerInfo& timer, const QDateTime& now) {
    const qint64 left = now.msecsTo(timer.endsAt);
    if (left <= 0)
        return tickInterval;
    // Below 500 ms "00:00" stays until the end; above, the shown second drops at <n>499 ms left.
    qint64 next = left < 500 ? 0 : (left - 500) / 1000 * 1000 + 499;
    if (left > 60000)
        next = std::max<qint64>(next, 60000);
    return std::chrono::milliseconds(std::max<qint64>(1, left - next));
}
} // namespace

QString formatTimerDuration(double seconds) {
    const long long rounded = std::llround(boundedSeconds(seconds));
    const long long n = std::max(0LL, rounded);
    const long long hours = n / 3600;
    const long long minutes = (n % 3600) / 60;
    const long long secs = n % 60;
    if (n < 3600)
        return QString::asprintf("%02lld:%02lld", minutes, secs);
    return QString::asprintf("%lld:%02lld:%02lld", hours, minutes, secs);
}

TimerService::TimerService(AppState& appState, Notifications* notifications, Clock* clock, QObject* parent)
    : QObject(parent), m_appState(appState), m_notifications(notifications), m_clock(clock),
      m_ticker(clock->createTimer(this)), m_clearTimer(clock->createTimer(this)) {
    connect(m_ticker, &ClockTimer::timeout, this, &TimerService::tick);
    connect(m_clearTimer, &ClockTimer::timeout, this, [this] {
        if (m_active && m_active->id == m_clearFor) {
            setActive(std::nullopt);
            m_ticker->stop();
        }
    });
    if (m_notifications) {
        m_notifications->authorizationStatus(this, [this](NotificationAuthorization status) {
            setNotifyAuthorized(status == NotificationAuthorization::authorized);
        });
    }
}

QString TimerService::identifier(const QUuid& id) {
    return id.toString(QUuid::WithoutBraces).toUpper();
}

void TimerService::setActive(const std::optional<TimerInfo>& active) {
    m_active = active;
    emit activeChanged(m_active);
}

void TimerService::setNotifyAuthorized(bool authorized) {
    m_notifyAuthorized = authorized;
    emit notifyAuthorizedChanged(authorized);
}

void TimerService::start(double seconds) {
    cancel();
    TimerInfo timer;
    timer.id = QUuid::createUuid();
    // A length that is not a number ends at once rather than giving a date nobody can compare.
    timer.total = boundedSeconds(seconds);
    timer.endsAt = m_clock->now().addMSecs(std::llround(timer.total * 1000.0));
    setActive(timer);
    const QUuid id = timer.id;
    QMetaObject::invokeMethod(
        this, [this, id] { prepareStartNotification(id); }, Qt::QueuedConnection);
    m_ticker->start(nextTickDelay(timer, m_clock->now()));
}

void TimerService::prepareStartNotification(const QUuid& id) {
    if (!m_notifications || m_appState.notificationsMuted())
        return;
    auto addIfStillRunning = [this, id] {
        if (m_active && m_active->id == id)
            addStartNotification(*m_active);
    };
    if (!m_notifyAuthorized) {
        requestAuthorization(
            ContextCallback<void(bool)>(this, [addIfStillRunning](bool) { addIfStillRunning(); }));
        return;
    }
    addIfStillRunning();
}

namespace {
NotificationContent finishedContent(const TimerInfo& timer) {
    NotificationContent content;
    content.title = QStringLiteral("timer finished");
    content.subtitle = QStringLiteral("brimlark");
    content.body =
        QStringLiteral("your ") + formatTimerDuration(timer.total) + QStringLiteral(" timer is up.");
    content.sound = true;
    return content;
}
} // namespace

void TimerService::addStartNotification(const TimerInfo& timer) {
    if (!m_notifications || !m_notifyAuthorized || m_appState.notificationsMuted())
        return;
    const long long seconds = std::max(1LL, std::llround(timer.total));
    m_notifications->add(identifier(timer.id), finishedContent(timer), std::chrono::seconds(seconds), nullptr,
                         [](const QString& error) {
                             if (!error.isEmpty())
                                 qCCritical(lcServices, "notification scheduling failed: %s",
                                            qUtf8Printable(error));
                         });
}

void TimerService::requestAuthorization(std::function<void(bool)> done) {
    if (!m_notifications) {
        setNotifyAuthorized(false);
        if (done)
            done(false);
        return;
    }
    // No context: `done` answers also when the service is gone by then.
    QPointer<TimerService> self(this);
    m_notifications->requestAuthorization(nullptr, [self, done](bool granted, const QString& error) {
        if (!error.isEmpty()) {
            qCCritical(lcServices, "notification auth failed: %s", qUtf8Printable(error));
            granted = false;
        }
        if (self)
            self->setNotifyAuthorized(granted);
        if (done)
            done(granted);
    });
}

void TimerService::tick() {
    if (!m_active) {
        m_ticker->stop();
        return;
    }
    const TimerInfo timer = *m_active;
    const bool ended = m_clock->now().msecsTo(timer.endsAt) <= 0;
    if (ended && m_firedFor != timer.id) {
        m_firedFor = timer.id;
        removeNotifications(timer);
        if (m_notifications && m_notifyAuthorized && !m_appState.notificationsMuted()) {
            m_notifications->add(QStringLiteral("fired-") + identifier(timer.id), finishedContent(timer),
                                 std::nullopt, nullptr, [](const QString& error) {
                                     if (!error.isEmpty())
                                         qCCritical(lcServices, "notification delivery failed: %s",
                                                    qUtf8Printable(error));
                                 });
        }
    }
    // Armed before the announcement: observers that keep a timer of their own (the live status)
    // arm it behind this one, and one that cancels or replaces the timer has the last word.
    m_ticker->start(nextTickDelay(timer, m_clock->now()));
    // One announcement per tick, the ending one included: views redraw once for both changes.
    emit ticked();
    // An observer may have cancelled or replaced the timer meanwhile; the ticker is then theirs.
    if (!m_active || m_active->id != timer.id)
        return;
    // The first tick past the end arms the clearing; later ones find it armed for this timer.
    if (ended && !(m_clearTimer->isActive() && m_clearFor == timer.id)) {
        m_clearFor = timer.id;
        m_clearTimer->start(clearDelay);
    }
}

void TimerService::removeNotifications(const TimerInfo& timer) {
    if (!m_notifications)
        return;
    m_notifications->removePending({identifier(timer.id)});
    m_notifications->removeDelivered({QStringLiteral("fired-") + identifier(timer.id)});
}

void TimerService::cancel() {
    if (m_active)
        removeNotifications(*m_active);
    m_firedFor.reset();
    m_clearTimer->stop();
    m_ticker->stop();
    if (m_active)
        setActive(std::nullopt);
}
