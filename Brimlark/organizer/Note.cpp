#include "Brimlark/organizer/Note.h"

size_t qHash(const Note& note, size_t seed) noexcept {
    QtPrivate::QHashCombine combine;
    seed = combine(seed, note.id);
    seed = combine(seed, note.body);
    seed = combine(seed, note.updatedAt);
    return seed;
}
