#include "Brimlark/organizer/NotesService.h"

#include "Brimlark/core/Debouncer.h"
#include "Brimlark/core/PlatformServices.h"

NotesService::NotesService(Clock* clock, QObject* parent)
    : QObject(parent), m_debouncer(new Debouncer(0.5, clock, this)) {}

NotesService& NotesService::shared() {
    static NotesService* instance = new NotesService(PlatformServices::current().clock);
    return *instance;
}
