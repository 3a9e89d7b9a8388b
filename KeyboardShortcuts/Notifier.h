#pragma once

#include "KeyboardShortcuts/Name.h"

#include <QObject>

namespace KeyboardShortcuts {

// The module's announcements, from one object for the whole process, on the thread that caused
// them (the main thread).
class Notifier : public QObject {
    Q_OBJECT
public:
    static Notifier& shared();

signals:
    // A name's stored combination changed; emitted after the store was written.
    void shortcutByNameDidChange(const KeyboardShortcuts::Name& name);
    // A recorder started (true) or stopped (false) recording.
    void recorderActiveStatusDidChange(bool isActive);

private:
    Notifier() = default;
};

} // namespace KeyboardShortcuts
