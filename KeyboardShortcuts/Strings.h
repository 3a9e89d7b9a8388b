#pragma once

#include <QString>

namespace KeyboardShortcuts {

// The module's texts by key, compiled into the program, so there is no file that could be
// missing. An unknown key gives the key itself. The keys: record_shortcut, press_shortcut,
// keyboard_shortcut_used_by_menu_item (%1 is the menu item's title), keyboard_shortcut_disallowed,
// keyboard_shortcut_used_by_system, keyboard_shortcuts_can_be_changed, ok, force_use_shortcut,
// space_key.
QString localizedString(const char* key);

} // namespace KeyboardShortcuts
