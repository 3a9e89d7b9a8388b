#pragma once

#include <QObject>

#include <optional>

// The user's keyboard layout, as far as shortcut texts need it: which character a key gives.
class KeyboardLayout : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~KeyboardLayout() override = default;

    // The one character the key at a stored key code gives in the current layout group with no
    // modifier held; when the current group has no ASCII letters (Cyrillic, Greek, …), in the first
    // group that has them. None for a code without a key, a dead key, a key that gives no
    // character or several, and when no keymap can be had.
    virtual std::optional<char32_t> character(int carbonKeyCode) = 0;
};
