#include "Brimlark/surface/CompactLiveStatus.h"

CompactLiveStatus CompactLiveStatus::ai(const HookEvent& event) {
    CompactLiveStatus status;
    status.m_value = event;
    return status;
}

CompactLiveStatus CompactLiveStatus::timer(const TimerInfo& info, bool isBurst) {
    CompactLiveStatus status;
    status.m_value = Timer{info, isBurst};
    return status;
}

CompactLiveStatus CompactLiveStatus::calendar(const CalendarItem& item) {
    CompactLiveStatus status;
    status.m_value = item;
    return status;
}

CompactLiveStatus CompactLiveStatus::media(const MediaRemoteBridge::NowPlaying& nowPlaying, bool isBurst) {
    CompactLiveStatus status;
    status.m_value = Media{nowPlaying, isBurst};
    return status;
}

const HookEvent* CompactLiveStatus::event() const {
    return std::get_if<HookEvent>(&m_value);
}

const TimerInfo* CompactLiveStatus::timerInfo() const {
    const Timer* timer = std::get_if<Timer>(&m_value);
    return timer ? &timer->info : nullptr;
}

const CalendarItem* CompactLiveStatus::calendarItem() const {
    return std::get_if<CalendarItem>(&m_value);
}

const MediaRemoteBridge::NowPlaying* CompactLiveStatus::nowPlaying() const {
    const Media* media = std::get_if<Media>(&m_value);
    return media ? &media->info : nullptr;
}

bool CompactLiveStatus::isBurst() const {
    if (const Timer* timer = std::get_if<Timer>(&m_value))
        return timer->isBurst;
    if (const Media* media = std::get_if<Media>(&m_value))
        return media->isBurst;
    return false;
}

std::optional<QString> CompactLiveStatus::trackTitle(const MediaRemoteBridge::NowPlaying& nowPlaying) {
    if (!nowPlaying.title || nowPlaying.title->isEmpty())
        return std::nullopt;
    return nowPlaying.title;
}
