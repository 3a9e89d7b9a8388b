#pragma once

#include "platform/KeyboardLayout.h"

#include <QHash>

// A US layout from a fixed table; a test edits `characters` to play another layout or a dead key.
class FakeKeyboardLayout final : public KeyboardLayout {
    Q_OBJECT
public:
    explicit FakeKeyboardLayout(QObject* parent = nullptr);

    std::optional<char32_t> character(int carbonKeyCode) override;

    // Stored key code → the character its key gives without modifiers.
    QHash<int, char32_t> characters;
};
