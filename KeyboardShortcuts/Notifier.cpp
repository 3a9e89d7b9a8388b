#include "KeyboardShortcuts/Notifier.h"

namespace KeyboardShortcuts {

Notifier& Notifier::shared() {
    qRegisterMetaType<Name>();
    static Notifier notifier;
    return notifier;
}

} // namespace KeyboardShortcuts
