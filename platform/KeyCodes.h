#pragma once

#include <QtGlobal>

#include <optional>

// Key positions and modifiers in the two forms the program meets: the macOS virtual key codes and
// modifier bits in which shortcuts are stored, and the X keycodes and modifier masks of the
// desktop. X keycodes follow the evdev rules every current X server and xkbcommon keymap uses:
// X keycode = Linux input event code + 8.
//
// Command is Super (Mod4) on the desktop, so that a global Command+Right never takes the word
// jumps of every text field (Ctrl+Right); inside the program Ctrl plays Command's part.
namespace KeyCodes {

// The stored modifier bits.
constexpr qint64 carbonCommand = 0x100;
constexpr qint64 carbonShift = 0x200;
constexpr qint64 carbonOption = 0x800;
constexpr qint64 carbonControl = 0x1000;
constexpr qint64 carbonFunction = 0x20000;

// X modifier masks (those of the core protocol).
constexpr quint16 xShiftMask = 0x01;
constexpr quint16 xControlMask = 0x04;
constexpr quint16 xMod1Mask = 0x08; // Alt
constexpr quint16 xMod4Mask = 0x40; // Super

// The X keycode at the position of a stored key code; none for a code the table does not know,
// and for the function key, which PC keyboards lack and which never reaches X.
std::optional<quint32> xKeycode(int carbonKeyCode);
// The stored key code of an X keycode; none for a key that has no stored form (Print, Pause, the
// ISO key beside the left Shift, media keys other than the volume keys, …).
std::optional<int> carbonKeyCode(quint32 xKeycode);

// The X mask of stored modifier bits: control → Control, option → Mod1, shift → Shift,
// command → Mod4. The function bit and every unknown bit give nothing.
quint16 xModifiers(qint64 carbonModifiers);
// The stored bits of an X mask; Lock, NumLock (Mod2) and the other masks give nothing.
qint64 carbonModifiers(quint16 xMask);

} // namespace KeyCodes
