#pragma once

#include <QString>

#include <optional>

namespace KeyboardShortcuts {

// A key whose text is fixed rather than read from the keyboard layout: return, the editing and
// navigation keys, F1 to F20 and the keypad; 53 of them.
struct SpecialKey {
    int keyCode = 0;
    // The text a combination shows for the key; empty for the space bar, whose word is localised.
    QString display;
    // The character a menu item uses for the key; none for the keypad keys.
    std::optional<QString> menuKeyEquivalent;
    // The same key as a Qt key, for key sequences inside the program; 0 for the keypad keys.
    int qtKey = 0;

    // The text a combination shows for the key, the space bar's capitalised.
    QString displayText() const;

    // The special key of a stored key code, or nullptr when the key takes its text from the layout.
    static const SpecialKey* find(int keyCode);
};

} // namespace KeyboardShortcuts
