#pragma once

#include "KeyboardShortcuts/Name.h"
#include "KeyboardShortcuts/Shortcut.h"

#include <QList>
#include <QLoggingCategory>
#include <QString>

#include <optional>

class KeyboardLayout;
class UserDefaults;

// Named key combinations kept in the user defaults, their text and the announcement of every
// change. Everything runs on the main thread.
namespace KeyboardShortcuts {

class CarbonKeyboardShortcuts;

// The module's log, "com.brimlark.app.keyboardshortcuts".
const QLoggingCategory& log();

// Gives the module its store, keyboard layout and hot-key registry. Until a store is given nothing
// is stored and every name reads as having no combination; without a layout keys that are not
// special show U+FFFD; without a registry combinations are stored and grabbed by nobody.
void install(UserDefaults* defaults, KeyboardLayout* layout, CarbonKeyboardShortcuts* registry = nullptr);
UserDefaults* defaults();
KeyboardLayout* keyboardLayout();
// The registry given to install(), or nullptr.
CarbonKeyboardShortcuts* registry();

// "KeyboardShortcuts_", the beginning of every key the module stores.
QString storagePrefix();

// The combination stored for the name, read from the store at every call. A value that is not
// the text of a combination (a cleared name's false, a number, other JSON, a key code outside
// 0…65535, …) reads as none and is left where it is.
std::optional<Shortcut> getShortcut(const Name& name);

// "KeyboardShortcuts_<name>.unreadable", where a value of the name that is no combination is kept.
QString unreadableKey(const Name& name);

// Whether an unreadable value of the name is kept aside. A value that is neither a combination nor
// a cleared name's false (edited by hand, written by another version) is moved, as it is, to
// unreadableKey(), replacing nothing there, and the name is left with no combination: false for a
// name with a default, so the default does not come back. True when a value was moved now or
// lies there from before while the name has none.
bool keepAsideUnreadable(const Name& name);

// With a combination: its text is stored; the name's old one, if any and different, is
// unregistered; the new one is registered unless it already is; the change is announced. With none, when the
// name has a combination: false is stored for a name with a default (so the default does not come back at the
// next start) and the key is removed for one without; the old combination is unregistered; the change is
// announced. Clearing a name without a combination writes and announces nothing.
void setShortcut(const std::optional<Shortcut>& shortcut, const Name& name);

// Sets each name back to its default, in order: the default stored for a name that has one, the
// combination cleared for one without.
void reset(const QList<Name>& names);
template <typename... More> void reset(const Name& first, const More&... more) {
    reset(QList<Name>{first, more...});
}

// Removes every key that begins with "KeyboardShortcuts_" (a cleared name's false and unreadable
// values too); each name whose value was a combination has it unregistered and is announced. A
// name with a default gets it back when it is next made.
void resetAll();

// Whether the process runs in an application sandbox: APP_SANDBOX_CONTAINER_ID is in the
// environment. Read once.
bool isSandboxed();

} // namespace KeyboardShortcuts
