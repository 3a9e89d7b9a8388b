#include "Brimlark/organizer/ReminderItem.h"

size_t qHash(const ReminderItem& item, size_t seed) noexcept {
    QtPrivate::QHashCombine combine;
    seed = combine(seed, item.id);
    seed = combine(seed, item.title);
    seed = combine(seed, item.isCompleted);
    seed = combine(seed, item.dueDate.has_value());
    if (item.dueDate)
        seed = combine(seed, *item.dueDate);
    seed = combine(seed, item.listName.has_value());
    if (item.listName)
        seed = combine(seed, *item.listName);
    seed = combine(seed, item.listColor.isValid());
    if (item.listColor.isValid())
        seed = combine(seed, item.listColor.rgba());
    return seed;
}
