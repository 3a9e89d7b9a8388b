#pragma once

#include "KeyboardShortcuts/Name.h"

#include <optional>

class QAction;

namespace KeyboardShortcuts {

// Binds the action's shortcut to a name: it takes the name's stored combination now (none when
// nothing is stored or the combination has no form inside the program) and again, on the next turn
// of the event loop, after every change stored for that name, until it is bound to another name or
// unbound. Unbinding (none) clears its shortcut whether or not it was bound. The binding lives on
// the action and ends with it.
void setShortcut(QAction& action, const std::optional<Name>& name);

} // namespace KeyboardShortcuts
