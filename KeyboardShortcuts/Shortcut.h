#pragma once

#include "KeyboardShortcuts/Key.h"
#include "KeyboardShortcuts/Modifiers.h"

#include <QByteArray>
#include <QHashFunctions>
#include <QKeySequence>
#include <QString>

#include <optional>

class QAction;
class QKeyEvent;
class QMenu;

namespace KeyboardShortcuts {

class Name;

// A key combination: a stored key code and stored modifier bits (see Modifiers.h). Equal when
// both are equal.
class Shortcut {
public:
    // Keeps the key code as given and only the five known modifier bits.
    Shortcut(int carbonKeyCode, qint64 carbonModifiers);
    Shortcut(Key key, Modifiers modifiers);

    // The combination of a key press or release: the key from the event's X keycode
    // (nativeScanCode), the modifiers Meta, Alt, Ctrl and Shift. None for any other event and for
    // a key that has no stored form.
    static std::optional<Shortcut> fromEvent(const QKeyEvent& event);
    // The combination stored for the name (KeyboardShortcuts::getShortcut).
    static std::optional<Shortcut> fromName(const Name& name);

    // The stored form: {"carbonKeyCode":45,"carbonModifiers":2304}, compact, in that order.
    QByteArray toJson() const;
    // Reads the stored form by member name, in any order, extra members ignored. None for
    // anything else: not a JSON object, a member missing or not a whole number, a key code outside
    // 0…65535, modifiers negative or wider than 32 bits. The modifiers are kept as stored.
    static std::optional<Shortcut> fromJson(const QByteArray& json);

    int carbonKeyCode() const { return m_carbonKeyCode; }
    qint64 carbonModifiers() const { return m_carbonModifiers; }
    Key key() const { return Key(m_carbonKeyCode); }
    Modifiers modifiers() const { return modifiersFromCarbon(m_carbonModifiers); }

    // The text shown for the combination, as Linux desktops write it: the modifiers held, Super
    // (command), Ctrl, Alt, Shift and Fn in that order, each followed by "+", then the key: its
    // fixed name (Return, Right, F5, KP 3, …), else its character in the current keyboard layout
    // capitalised, else U+FFFD. "Super+Alt+N", "Ctrl+Shift+K".
    QString description() const;
    // The character a menu item would use for the key: the fixed menu character of a special key
    // (none for the keypad keys), else the layout's character, else none.
    std::optional<QString> keyEquivalent() const;
    // The first action of the menu, depth-first (a submenu before the next action), whose shortcut
    // is this combination; nullptr when none is.
    QAction* menuItemWithMatchingShortcut(const QMenu& menu) const;
    // The combination as a key sequence inside the program; none for a keypad key, a key without
    // a character, and with the function modifier, which Qt cannot express.
    std::optional<QKeySequence> toKeySequence() const;

    friend bool operator==(const Shortcut& a, const Shortcut& b) {
        return a.m_carbonKeyCode == b.m_carbonKeyCode && a.m_carbonModifiers == b.m_carbonModifiers;
    }
    friend bool operator!=(const Shortcut& a, const Shortcut& b) { return !(a == b); }

private:
    struct Raw {};
    Shortcut(int carbonKeyCode, qint64 carbonModifiers, Raw);

    int m_carbonKeyCode = 0;
    qint64 m_carbonModifiers = 0;
};

inline size_t qHash(const Shortcut& shortcut, size_t seed = 0) noexcept {
    return qHashMulti(seed, shortcut.carbonKeyCode(), shortcut.carbonModifiers());
}

} // namespace KeyboardShortcuts
