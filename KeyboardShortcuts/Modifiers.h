#pragma once

#include <QFlags>
#include <Qt>
#include <QtGlobal>

namespace KeyboardShortcuts {

// The modifier keys held with a key. Function is the Fn key of laptop keyboards; no key event
// reports it on Linux, but stored combinations may carry it.
enum class Modifier {
    control = 0x1,
    option = 0x2,
    shift = 0x4,
    command = 0x8,
    function = 0x10,
};
Q_DECLARE_FLAGS(Modifiers, Modifier)
Q_DECLARE_OPERATORS_FOR_FLAGS(Modifiers)

// The stored bits of the flags: control 0x1000, option 0x800, shift 0x200, command 0x100,
// function 0x20000.
qint64 carbonModifiers(Modifiers modifiers);
// The flags of stored bits; every other bit is dropped.
Modifiers modifiersFromCarbon(qint64 carbonModifiers);
// The stored bits with every bit but the five above dropped.
qint64 normalizedCarbonModifiers(qint64 carbonModifiers);

// Inside the program: Meta (Super) is command, Alt option, Ctrl control, Shift shift. Qt has no
// Fn modifier: function gives nothing, and nothing gives function.
Qt::KeyboardModifiers toQtModifiers(Modifiers modifiers);
Modifiers modifiersFromQt(Qt::KeyboardModifiers modifiers);

} // namespace KeyboardShortcuts
