#pragma once

#include "KeyboardShortcuts/EventType.h"
#include "KeyboardShortcuts/Name.h"

#include <functional>

class QAbstractButton;
class QWidget;

namespace KeyboardShortcuts {

class GlobalKeyboardShortcutViewModifier;

// Runs `perform` with every press and release of the name's hot key for as long as `view` lives
// (through a stream of the installed registry; without one nothing happens and that is logged).
void onKeyboardShortcut(QWidget& view, const Name& name, std::function<void(EventType type)> perform);
// The same for presses only (keyDown) or releases only (keyUp).
void onKeyboardShortcut(QWidget& view, const Name& name, EventType type, std::function<void()> perform);

// Makes the name's combination the control's shortcut inside the program, except while a recorder
// field records. Returns the modifier, which the control owns.
GlobalKeyboardShortcutViewModifier* globalKeyboardShortcut(QAbstractButton& control, const Name& name);

} // namespace KeyboardShortcuts
