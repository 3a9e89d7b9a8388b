#include "Brimlark/shortcuts/ShortcutNames.h"

#include "Brimlark/core/EnumText.h"
#include "KeyboardShortcuts/NameRegistry.h"

#include <QPointer>

using namespace KeyboardShortcuts;

KeyboardShortcuts::Name shortcutName(KeyboardShortcutManager::Name name) {
    using ManagerName = KeyboardShortcutManager::Name;
    std::optional<Shortcut> fallback;
    switch (name) {
    case ManagerName::toggleBasic:
        fallback = Shortcut(Key::n, Modifier::option | Modifier::command);
        break;
    case ManagerName::toggleAdvanced:
        fallback = Shortcut(Key::n, Modifier::shift | Modifier::command);
        break;
    case ManagerName::nextPage:
        fallback = Shortcut(Key::rightArrow, Modifier::command);
        break;
    case ManagerName::prevPage:
        fallback = Shortcut(Key::leftArrow, Modifier::command);
        break;
    default:
        break;
    }
    return NameRegistry::shared().name(rawValue(name), fallback);
}

KeyboardShortcutManager::KeyDownRegistrar shortcutRegistrar(CarbonKeyboardShortcuts* registry) {
    if (!registry)
        return {};
    return [target = QPointer<CarbonKeyboardShortcuts>(registry)](KeyboardShortcutManager::Name name,
                                                                  std::function<void()> action) {
        if (target)
            target->onKeyDown(shortcutName(name), std::move(action));
    };
}
