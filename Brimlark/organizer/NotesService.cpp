#include "Brimlark/organizer/NotesService.h"

#include "Brimlark/core/Debouncer.h"

NotesService::NotesService(Clock* clock, QObject* parent)
    : QObject(parent), m_debouncer(new Debouncer(0.5, clock, this)) {}
