#pragma once

#include "Brimlark/aihooks/events/HookEvent.h"
#include "Brimlark/controls/MediaRemoteBridge.h"
#include "Brimlark/controls/TimerInfo.h"
#include "Brimlark/organizer/CalendarItem.h"

#include <QMetaType>

#include <variant>

// What the closed notch shows: an AI tool's event, a running or just finished countdown, a
// calendar alert, or media that plays or has just changed. Two values are equal only when they are
// the same case with equal payloads (a track's artwork is not compared).
class CompactLiveStatus {
public:
    enum class Kind { ai, timer, calendar, media };

    // The default value (an `ai` case with an empty event) exists only so the type can travel
    // through queued signals; the store never publishes it.
    CompactLiveStatus() = default;

    static CompactLiveStatus ai(const HookEvent& event);
    static CompactLiveStatus timer(const TimerInfo& info, bool isBurst);
    static CompactLiveStatus calendar(const CalendarItem& item);
    static CompactLiveStatus media(const MediaRemoteBridge::NowPlaying& nowPlaying, bool isBurst);

    Kind kind() const { return static_cast<Kind>(m_value.index()); }

    // The payload of the case; null for any other case.
    const HookEvent* event() const;
    const TimerInfo* timerInfo() const;
    const CalendarItem* calendarItem() const;
    const MediaRemoteBridge::NowPlaying* nowPlaying() const;
    // True for a timer or media status that is a short burst after a change; false otherwise.
    bool isBurst() const;

    // A track's title when it has one that is not empty; the live status and the glow count a
    // track without one as untitled.
    static std::optional<QString> trackTitle(const MediaRemoteBridge::NowPlaying& nowPlaying);

    friend bool operator==(const CompactLiveStatus& a, const CompactLiveStatus& b) {
        return a.m_value == b.m_value;
    }
    friend bool operator!=(const CompactLiveStatus& a, const CompactLiveStatus& b) { return !(a == b); }

private:
    struct Timer {
        TimerInfo info;
        bool isBurst = false;
        bool operator==(const Timer& other) const { return info == other.info && isBurst == other.isBurst; }
    };
    struct Media {
        MediaRemoteBridge::NowPlaying info;
        bool isBurst = false;
        bool operator==(const Media& other) const { return info == other.info && isBurst == other.isBurst; }
    };

    // Alternatives in the order of Kind.
    std::variant<HookEvent, Timer, CalendarItem, Media> m_value;
};

Q_DECLARE_METATYPE(CompactLiveStatus)
