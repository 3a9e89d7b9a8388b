#pragma once

#include "Brimlark/surface/CompactLiveStatus.h"
#include "Brimlark/surface/CompactLiveStatusSelector.h"
#include "platform/Clock.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUuid>

#include <chrono>
#include <optional>

class AIHooksService;
class CalendarService;
class MediaService;
class TimerService;

// Picks what the closed notch shows, by a fixed priority: an AI event that asks, failed or just
// finished; a running countdown; one that has just ended; a calendar alert; playing media; a media
// change. It watches the four services and picks again on every change and at least once a second:
// on each tick of a running countdown, else on its own one-second tick.
class CompactLiveStatusStore : public QObject {
    Q_OBJECT
    Q_PROPERTY(std::optional<CompactLiveStatus> current READ current NOTIFY currentChanged)
public:
    static constexpr std::chrono::milliseconds refreshInterval{1000};
    static constexpr std::chrono::milliseconds finishedEventWindow{8000};
    static constexpr std::chrono::milliseconds timerEndMargin{2500};
    static constexpr std::chrono::milliseconds timerBurst{8000};
    static constexpr std::chrono::milliseconds mediaBurst{8000};
    static constexpr std::chrono::milliseconds calendarBurst{5000};

    // Keeps the four services; nothing is observed until start().
    CompactLiveStatusStore(AIHooksService& aiHooks, TimerService& timer, CalendarService& calendar,
                           MediaService& media, Clock* clock = Clock::system(), QObject* parent = nullptr);

    // Observes the services (their current values arrive on the next turn of the event loop, like
    // every later change) and starts the one-second tick. Called once, right after construction.
    void start();
    // Picks and publishes `current`. Publishes on every pick, also an unchanged value, so time
    // dependent texts (the countdown) can follow; observers compare when they need to.
    void recompute();

    const std::optional<CompactLiveStatus>& current() const { return m_current; }

signals:
    void currentChanged(const std::optional<CompactLiveStatus>& current);

private:
    template <typename T> struct Burst {
        T info;
        QDateTime expiresAt;
    };

    void handleTimerChange(const std::optional<TimerInfo>& value);
    void handleMediaChange(const std::optional<MediaRemoteBridge::NowPlaying>& value);
    template <typename T>
    static void pruneIfExpired(std::optional<Burst<T>>& burst, std::chrono::milliseconds length,
                               const QDateTime& now);
    void pruneExpiredBursts();
    void updateCalendarBurst();
    std::optional<HookEvent> pickHookEvent();
    void scheduleTick();
    void tick();
    void followTimerTick();

    AIHooksService& m_aiHooks;
    TimerService& m_timer;
    CalendarService& m_calendar;
    MediaService& m_media;
    Clock* m_clock;

    std::optional<CompactLiveStatus> m_current;
    std::optional<Burst<TimerInfo>> m_recentTimer;
    std::optional<Burst<MediaRemoteBridge::NowPlaying>> m_recentMedia;
    std::optional<TimerInfo> m_previousTimer;
    std::optional<MediaRemoteBridge::NowPlaying> m_previousMedia;
    void handleTimedEvents(const QList<CalendarItem>& events);

    // The last upcoming timed events received from the calendar service: each raises its own
    // alerts, whether or not another meeting runs or an all-day event is on.
    QList<CalendarItem> m_timedEvents;
    std::optional<Burst<CalendarItem>> m_calendarBurst;
    // Alerts that fell due while another showed, soonest start first: each shows in its turn.
    QList<CalendarItem> m_pendingCalendarAlerts;
    QHash<QString, QSet<CompactLiveStatusSelector::CalendarBurstKind>> m_calendarBurstLedger;
    // Finished events found stamped ahead of the wall clock, with the time their window counts from.
    QHash<QUuid, QDateTime> m_finishedSeenAhead;
    bool m_started = false;

    // The tick keeps to whole seconds after its start rather than a second after each firing, so
    // that time spent picking never stretches a gap past one second: each calendar window is one
    // second wide, and a longer gap could step over it.
    ClockTimer* m_refreshTimer;
    QDateTime m_tickAnchor;
    qint64 m_tickCount = 0;
    // The wall-clock time since the anchor at the last scheduling.
    qint64 m_tickReached = 0;
};
