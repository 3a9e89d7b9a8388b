#pragma once

#include "Brimlark/shortcuts/KeyboardShortcutManager.h"
#include "KeyboardShortcuts/CarbonKeyboardShortcuts.h"
#include "KeyboardShortcuts/Name.h"

// The stored slot of each of the manager's shortcuts: its raw value is the case name, and four have
// a default (Super+Alt+N toggleBasic, Super+Shift+N toggleAdvanced, Super+Right nextPage,
// Super+Left prevPage), stored and registered the first time the name is asked for.
KeyboardShortcuts::Name shortcutName(KeyboardShortcutManager::Name name);

// The manager's registrar over a registry: each name's key-down action goes to the registry's
// onKeyDown. Empty without a registry.
KeyboardShortcutManager::KeyDownRegistrar
shortcutRegistrar(KeyboardShortcuts::CarbonKeyboardShortcuts* registry);
