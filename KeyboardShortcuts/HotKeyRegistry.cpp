#include "KeyboardShortcuts/HotKeyRegistry.h"

namespace KeyboardShortcuts {

void HotKeyRegistry::registerShortcut(const Shortcut& shortcut) {
    m_registered.insert(shortcut);
}

void HotKeyRegistry::unregisterShortcut(const Shortcut& shortcut) {
    m_registered.remove(shortcut);
}

} // namespace KeyboardShortcuts
