#include "KeyboardShortcuts/NameRegistry.h"

namespace KeyboardShortcuts {

NameRegistry& NameRegistry::shared() {
    static NameRegistry registry;
    return registry;
}

Name NameRegistry::name(const QString& rawValue, const std::optional<Shortcut>& defaultShortcut) {
    const auto found = m_names.find(rawValue);
    if (found != m_names.end())
        return found->second;
    return m_names.emplace(rawValue, Name(rawValue, defaultShortcut)).first->second;
}

void NameRegistry::reset() {
    m_names.clear();
}

} // namespace KeyboardShortcuts
