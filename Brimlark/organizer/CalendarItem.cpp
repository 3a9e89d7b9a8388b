#include "Brimlark/organizer/CalendarItem.h"

namespace {

template <typename T> size_t hashOptional(const std::optional<T>& value, size_t seed) {
    if (!value)
        return qHashMulti(seed, 0);
    return qHashMulti(seed, 1, *value);
}

} // namespace

size_t qHash(const CalendarItem& item, size_t seed) noexcept {
    size_t hash = qHashMulti(seed, item.id);
    hash = hashOptional(item.externalIdentifier, hash);
    hash = qHashMulti(hash, item.title, item.startDate, item.endDate, item.isAllDay);
    hash = hashOptional(item.location, hash);
    hash = hashOptional(item.notes, hash);
    hash = hashOptional(item.url, hash);
    // An invalid colour stands for none; equal colours have equal RGBA values.
    hash = item.calendarColor.isValid() ? qHashMulti(hash, 1, item.calendarColor.rgba64().toArgb32())
                                        : qHashMulti(hash, 0);
    return hashOptional(item.conferenceURL, hash);
}
