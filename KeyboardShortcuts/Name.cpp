#include "KeyboardShortcuts/Name.h"

#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "platform/UserDefaults.h"

namespace KeyboardShortcuts {

Name::Name(QString rawValue) : m_rawValue(std::move(rawValue)) {}

Name::Name(QString rawValue, std::optional<Shortcut> defaultShortcut)
    : m_rawValue(std::move(rawValue)), m_defaultShortcut(std::move(defaultShortcut)) {
    if (!m_defaultShortcut)
        return;
    UserDefaults* store = defaults();
    if (store && !store->contains(storageKey()))
        KeyboardShortcuts::setShortcut(m_defaultShortcut, *this);
}

QString Name::storageKey() const {
    return storagePrefix() + m_rawValue;
}

std::optional<Shortcut> Name::shortcut() const {
    return getShortcut(*this);
}

void Name::setShortcut(const std::optional<Shortcut>& shortcut) const {
    KeyboardShortcuts::setShortcut(shortcut, *this);
}

} // namespace KeyboardShortcuts
