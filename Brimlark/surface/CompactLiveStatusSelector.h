#pragma once

#include <QtGlobal>

// Names that belong to the pick of the compact live status.
namespace CompactLiveStatusSelector {

// The two alerts a calendar event can raise: fifteen minutes before its start, and at its start.
enum class CalendarBurstKind { fifteenMinutes, startTime };

inline size_t qHash(CalendarBurstKind kind, size_t seed = 0) noexcept {
    return ::qHash(static_cast<int>(kind), seed);
}

} // namespace CompactLiveStatusSelector
