#pragma once

#include "KeyboardShortcuts/Shortcut.h"

#include <QMetaType>
#include <QString>

#include <optional>

namespace KeyboardShortcuts {

// A named shortcut slot, stored under "KeyboardShortcuts_" + its raw value. Two names with the same
// raw value are the same slot, whatever their defaults.
class Name {
public:
    // An empty name, for containers and signals; it writes nothing.
    Name() = default;
    // A name without a default; it writes nothing.
    explicit Name(QString rawValue);
    // A name with a default: when the store holds nothing at all under its key, the default is
    // stored (and registered) as setShortcut() would. A cleared name's false, a combination or any
    // other value keeps it from being stored again.
    Name(QString rawValue, std::optional<Shortcut> defaultShortcut);

    const QString& rawValue() const { return m_rawValue; }
    const std::optional<Shortcut>& defaultShortcut() const { return m_defaultShortcut; }
    // "KeyboardShortcuts_" + the raw value.
    QString storageKey() const;

    // The stored combination (getShortcut); setting none clears it (setShortcut).
    std::optional<Shortcut> shortcut() const;
    void setShortcut(const std::optional<Shortcut>& shortcut) const;

    friend bool operator==(const Name& a, const Name& b) { return a.m_rawValue == b.m_rawValue; }
    friend bool operator!=(const Name& a, const Name& b) { return a.m_rawValue != b.m_rawValue; }

private:
    QString m_rawValue;
    std::optional<Shortcut> m_defaultShortcut;
};

inline size_t qHash(const Name& name, size_t seed = 0) noexcept {
    return qHash(name.rawValue(), seed);
}

} // namespace KeyboardShortcuts

Q_DECLARE_METATYPE(KeyboardShortcuts::Name)
