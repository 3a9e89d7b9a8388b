#pragma once

#include "platform/Clock.h"

#include <QObject>

class Debouncer;

// The user's notes. Saving goes through the program's one debouncer, half a second after the
// last edit or deletion.
class NotesService : public QObject {
    Q_OBJECT
public:
    explicit NotesService(Clock* clock = Clock::system(), QObject* parent = nullptr);

    // The process-wide service, created on first use.
    static NotesService& shared();

    Debouncer& debouncer() { return *m_debouncer; }

private:
    Debouncer* m_debouncer;
};
