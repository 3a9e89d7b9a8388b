#include "KeyboardShortcuts/Strings.h"

#include <cstring>

namespace KeyboardShortcuts {

namespace {

struct Entry {
    const char* key;
    const char* text;
};

// Labels are lower case; sentences keep ordinary capitals.
constexpr Entry table[] = {
    {"record_shortcut", "record shortcut"},
    {"press_shortcut", "press shortcut"},
    {"clear_shortcut", "clear shortcut"},
    {"keyboard_shortcut_used_by_menu_item",
     "This combination already belongs to the menu item \u201c%1\u201d."},
    {"keyboard_shortcut_disallowed",
     "Option alone, or with Shift only, cannot start a combination on this version of the system."},
    {"keyboard_shortcut_used_by_system", "The system already uses this combination."},
    {"keyboard_shortcuts_can_be_changed",
     "The desktop's combinations can be changed in its keyboard settings."},
    {"ok", "ok"},
    {"force_use_shortcut", "use it anyway"},
    {"space_key", "space"},
};

} // namespace

QString localizedString(const char* key) {
    for (const Entry& entry : table) {
        if (std::strcmp(entry.key, key) == 0)
            return QString::fromUtf8(entry.text);
    }
    return QString::fromUtf8(key);
}

} // namespace KeyboardShortcuts
