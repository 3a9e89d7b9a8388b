#include "Brimlark/surface/CompactLiveStatusStore.h"

#include "Brimlark/aihooks/AIHooksService.h"
#include "Brimlark/controls/MediaService.h"
#include "Brimlark/controls/TimerService.h"
#include "Brimlark/organizer/CalendarService.h"

#include <algorithm>

namespace {

qint64 ms(std::chrono::milliseconds duration) {
    return duration.count();
}

} // namespace

CompactLiveStatusStore::CompactLiveStatusStore(AIHooksService& aiHooks, TimerService& timer,
                                               CalendarService& calendar, MediaService& media, Clock* clock,
                                               QObject* parent)
    : QObject(parent), m_aiHooks(aiHooks), m_timer(timer), m_calendar(calendar), m_media(media),
      m_clock(clock), m_refreshTimer(clock->createTimer(this)) {
    connect(m_refreshTimer, &ClockTimer::timeout, this, &CompactLiveStatusStore::tick);
}

void CompactLiveStatusStore::start() {
    if (m_started)
        return;
    m_started = true;

    // Every change arrives on a later turn of the event loop, the current values included; the
    // connections die with the store, so nothing is delivered to a store that is gone.
    connect(&m_aiHooks, &AIHooksService::eventsChanged, this, &CompactLiveStatusStore::recompute,
            Qt::QueuedConnection);
    connect(&m_aiHooks, &AIHooksService::displayFilterChanged, this, &CompactLiveStatusStore::recompute,
            Qt::QueuedConnection);
    connect(
        &m_timer, &TimerService::activeChanged, this,
        [this](const std::optional<TimerInfo>& value) {
            handleTimerChange(value);
            recompute();
        },
        Qt::QueuedConnection);
    connect(
        &m_calendar, &CalendarService::upcomingTimedEventsChanged, this,
        [this](const QList<CalendarItem>& events) {
            handleTimedEvents(events);
            recompute();
        },
        Qt::QueuedConnection);
    connect(
        &m_media, &MediaService::nowPlayingChanged, this,
        [this](const std::optional<MediaRemoteBridge::NowPlaying>& value) {
            handleMediaChange(value);
            recompute();
        },
        Qt::QueuedConnection);

    // A running countdown ticks once a second: its ticks do the picking then, and the own tick,
    // held a second behind the last of them, wakes the program only once they stop. The countdown
    // moves on screen at its own ticks, and no gap between picks grows past a second.
    connect(&m_timer, &TimerService::ticked, this, &CompactLiveStatusStore::followTimerTick);

    // The first delivery of each subscription carries the value current now.
    const std::optional<TimerInfo> timerNow = m_timer.active();
    const std::optional<MediaRemoteBridge::NowPlaying> mediaNow = m_media.nowPlaying();
    handleTimedEvents(m_calendar.upcomingTimedEvents());
    QMetaObject::invokeMethod(
        this,
        [this, timerNow, mediaNow] {
            handleTimerChange(timerNow);
            handleMediaChange(mediaNow);
            recompute();
        },
        Qt::QueuedConnection);

    m_tickAnchor = m_clock->now();
    m_tickCount = 0;
    m_tickReached = 0;
    scheduleTick();
}

void CompactLiveStatusStore::scheduleTick() {
    const QDateTime now = m_clock->now();
    qint64 elapsed = m_tickAnchor.msecsTo(now);
    // The timer runs on a steady clock, the anchor is wall-clock time. A wall clock set back below
    // what the tick had reached would hold the next tick back by the whole step: the seconds
    // start over from now instead.
    if (elapsed < m_tickReached) {
        m_tickAnchor = now;
        m_tickCount = 0;
        elapsed = 0;
    }
    m_tickReached = elapsed;
    // After a stall (a suspended machine) the missed seconds are skipped, not replayed.
    m_tickCount = std::max(m_tickCount, elapsed / ms(refreshInterval));
    const qint64 next = (m_tickCount + 1) * ms(refreshInterval);
    m_refreshTimer->start(std::chrono::milliseconds(std::max<qint64>(0, next - elapsed)));
}

void CompactLiveStatusStore::followTimerTick() {
    recompute();
    m_tickAnchor = m_clock->now();
    m_tickCount = 0;
    m_tickReached = 0;
    scheduleTick();
}

void CompactLiveStatusStore::tick() {
    ++m_tickCount;
    recompute();
    scheduleTick();
}

void CompactLiveStatusStore::recompute() {
    pruneExpiredBursts();
    updateCalendarBurst();
    const std::optional<HookEvent> event = pickHookEvent();

    const std::optional<TimerInfo>& active = m_timer.active();
    const std::optional<MediaRemoteBridge::NowPlaying>& nowPlaying = m_media.nowPlaying();

    std::optional<CompactLiveStatus> result;
    if (event)
        result = CompactLiveStatus::ai(*event);
    else if (active)
        result = CompactLiveStatus::timer(*active, false);
    else if (m_recentTimer)
        result = CompactLiveStatus::timer(m_recentTimer->info, true);
    else if (m_calendarBurst)
        result = CompactLiveStatus::calendar(m_calendarBurst->info);
    else if (nowPlaying && CompactLiveStatus::trackTitle(*nowPlaying) && nowPlaying->isPlaying)
        result = CompactLiveStatus::media(*nowPlaying, false);
    else if (m_recentMedia)
        result = CompactLiveStatus::media(m_recentMedia->info, true);

    m_current = std::move(result);
    emit currentChanged(m_current);
}

std::optional<HookEvent> CompactLiveStatusStore::pickHookEvent() {
    using Status = HookEvent::Status;
    const QList<HookEvent> events = m_aiHooks.presetFilteredEvents();
    for (const HookEvent& event : events) {
        if (event.status == Status::asking)
            return event;
    }
    for (const HookEvent& event : events) {
        if (event.status == Status::error)
            return event;
    }
    const QDateTime now = m_clock->now();
    // A finished event stamped later than now (the wall clock was set back since it arrived) counts
    // as stamped at the first pick that finds it so; else it would stay up for the whole step too.
    QHash<QUuid, QDateTime> seenAhead;
    std::optional<HookEvent> finished;
    for (const HookEvent& event : events) {
        if (event.status != Status::finished || !event.timestamp.isValid())
            continue;
        QDateTime stamp = event.timestamp;
        const auto ahead = m_finishedSeenAhead.constFind(event.id);
        if (ahead != m_finishedSeenAhead.cend() || stamp > now) {
            stamp = std::min(ahead != m_finishedSeenAhead.cend() ? *ahead : stamp, now);
            seenAhead.insert(event.id, stamp);
        }
        if (!finished && now.msecsTo(stamp) > -ms(finishedEventWindow))
            finished = event;
    }
    m_finishedSeenAhead = std::move(seenAhead);
    return finished;
}

void CompactLiveStatusStore::handleTimerChange(const std::optional<TimerInfo>& value) {
    const QDateTime now = m_clock->now();
    if (!value && m_previousTimer && m_previousTimer->endsAt <= now.addMSecs(ms(timerEndMargin)))
        m_recentTimer = Burst<TimerInfo>{*m_previousTimer, now.addMSecs(ms(timerBurst))};
    m_previousTimer = value;
}

void CompactLiveStatusStore::handleMediaChange(const std::optional<MediaRemoteBridge::NowPlaying>& value) {
    if (value && CompactLiveStatus::trackTitle(*value) && (!m_previousMedia || *m_previousMedia != *value))
        m_recentMedia = Burst<MediaRemoteBridge::NowPlaying>{*value, m_clock->now().addMSecs(ms(mediaBurst))};
    m_previousMedia = value;
}

template <typename T>
void CompactLiveStatusStore::pruneIfExpired(std::optional<Burst<T>>& burst, std::chrono::milliseconds length,
                                            const QDateTime& now) {
    if (!burst)
        return;
    if (burst->expiresAt <= now) {
        burst.reset();
        return;
    }
    // More time left than the burst lasts: the wall clock was set back since it began. It ends
    // its own length from now rather than the length of the step later.
    if (now.msecsTo(burst->expiresAt) > ms(length))
        burst->expiresAt = now.addMSecs(ms(length));
}

void CompactLiveStatusStore::pruneExpiredBursts() {
    const QDateTime now = m_clock->now();
    pruneIfExpired(m_recentTimer, timerBurst, now);
    pruneIfExpired(m_recentMedia, mediaBurst, now);
    pruneIfExpired(m_calendarBurst, calendarBurst, now);
    if (!m_calendarBurst && !m_pendingCalendarAlerts.isEmpty())
        m_calendarBurst =
            Burst<CalendarItem>{m_pendingCalendarAlerts.takeFirst(), now.addMSecs(ms(calendarBurst))};
}

void CompactLiveStatusStore::handleTimedEvents(const QList<CalendarItem>& events) {
    // An event no longer listed (it ended, or was removed) forgets its alerts. An empty list keeps
    // them: the same event coming back raises nothing it already raised.
    if (!events.isEmpty()) {
        QSet<QString> listed;
        for (const CalendarItem& event : events)
            listed.insert(event.id);
        for (auto it = m_calendarBurstLedger.begin(); it != m_calendarBurstLedger.end();) {
            if (listed.contains(it.key()))
                ++it;
            else
                it = m_calendarBurstLedger.erase(it);
        }
    }
    m_timedEvents = events;
}

void CompactLiveStatusStore::updateCalendarBurst() {
    using Kind = CompactLiveStatusSelector::CalendarBurstKind;
    const QDateTime now = m_clock->now();
    QList<CalendarItem> due;
    for (const CalendarItem& event : std::as_const(m_timedEvents)) {
        if (!event.startDate.isValid())
            continue;
        const double d = static_cast<double>(now.msecsTo(event.startDate)) / 1000.0;
        Kind kind;
        if (d > -1.0 && d <= 0.0)
            kind = Kind::startTime;
        else if (d > 899.0 && d <= 900.0)
            kind = Kind::fifteenMinutes;
        else
            continue;
        QSet<Kind>& raised = m_calendarBurstLedger[event.id];
        if (raised.contains(kind))
            continue;
        raised.insert(kind);
        due.append(event);
    }
    if (due.isEmpty())
        return;
    // Two alerts due together: the event starting sooner first. One already showing keeps its time.
    std::stable_sort(due.begin(), due.end(),
                     [](const CalendarItem& a, const CalendarItem& b) { return a.startDate < b.startDate; });
    m_pendingCalendarAlerts.append(due);
    if (!m_calendarBurst)
        m_calendarBurst =
            Burst<CalendarItem>{m_pendingCalendarAlerts.takeFirst(), now.addMSecs(ms(calendarBurst))};
}
