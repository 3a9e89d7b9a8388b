#include "KeyboardShortcuts/KeyboardShortcuts.h"

#include "KeyboardShortcuts/CarbonKeyboardShortcuts.h"
#include "KeyboardShortcuts/Notifier.h"
#include "platform/KeyboardLayout.h"
#include "platform/UserDefaults.h"

#include <QPointer>

namespace KeyboardShortcuts {

namespace {

struct Installed {
    QPointer<UserDefaults> defaults;
    QPointer<KeyboardLayout> layout;
    QPointer<CarbonKeyboardShortcuts> registry;
};

Installed& installed() {
    static Installed parts;
    return parts;
}

void announce(const Name& name) {
    emit Notifier::shared().shortcutByNameDidChange(name);
}

UserDefaults* storeOrComplain() {
    UserDefaults* store = defaults();
    if (!store)
        qCWarning(log, "no settings store installed; shortcuts are not stored");
    return store;
}

} // namespace

const QLoggingCategory& log() {
    static const QLoggingCategory category("com.brimlark.app.keyboardshortcuts");
    return category;
}

void install(UserDefaults* store, KeyboardLayout* layout, CarbonKeyboardShortcuts* hotKeys) {
    installed() = Installed{store, layout, hotKeys};
}

UserDefaults* defaults() {
    return installed().defaults;
}

KeyboardLayout* keyboardLayout() {
    return installed().layout;
}

CarbonKeyboardShortcuts* registry() {
    return installed().registry;
}

QString storagePrefix() {
    return QStringLiteral("KeyboardShortcuts_");
}

std::optional<Shortcut> getShortcut(const Name& name) {
    UserDefaults* store = defaults();
    if (!store)
        return std::nullopt;
    const QVariant value = store->value(name.storageKey());
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    const std::optional<Shortcut> shortcut = Shortcut::fromJson(value.toString().toUtf8());
    if (!shortcut)
        qCDebug(log, "the value stored for %s is no combination; it is left as it is",
                qUtf8Printable(name.rawValue()));
    return shortcut;
}

QString unreadableKey(const Name& name) {
    return name.storageKey() + QStringLiteral(".unreadable");
}

bool keepAsideUnreadable(const Name& name) {
    UserDefaults* store = defaults();
    if (!store || getShortcut(name))
        return false;
    const QString key = name.storageKey();
    const QVariant value = store->value(key);
    const bool cleared = value.typeId() == QMetaType::Bool && !value.toBool();
    if (!store->contains(key) || cleared)
        return store->contains(unreadableKey(name));
    // An older value kept aside stays; this one then goes beside it with its own suffix.
    QString aside = unreadableKey(name);
    for (int n = 2; store->contains(aside); ++n)
        aside = unreadableKey(name) + QString::number(n);
    if (!store->setValue(aside, value)) {
        qCWarning(
            log, "the value stored for %s is no combination and could not be kept aside; it is left as it is",
            qUtf8Printable(name.rawValue()));
        return true;
    }
    if (name.defaultShortcut())
        store->setBool(key, false);
    else
        store->remove(key);
    qCWarning(log, "the value stored for %s is no combination; it is kept as %s",
              qUtf8Printable(name.rawValue()), qUtf8Printable(aside));
    return true;
}

void setShortcut(const std::optional<Shortcut>& shortcut, const Name& name) {
    UserDefaults* store = storeOrComplain();
    if (!store)
        return;
    const std::optional<Shortcut> old = getShortcut(name);
    CarbonKeyboardShortcuts* hotKeys = registry();
    if (shortcut) {
        // Stored first, so that the registry sees which names still need the old combination.
        store->setString(name.storageKey(), QString::fromUtf8(shortcut->toJson()));
        if (hotKeys && old && *old != *shortcut)
            hotKeys->unregisterShortcut(*old);
        if (hotKeys && !hotKeys->isRegistered(*shortcut))
            hotKeys->registerShortcut(*shortcut);
        announce(name);
        return;
    }
    if (!old)
        return;
    if (name.defaultShortcut())
        store->setBool(name.storageKey(), false);
    else
        store->remove(name.storageKey());
    if (hotKeys)
        hotKeys->unregisterShortcut(*old);
    announce(name);
}

void reset(const QList<Name>& names) {
    for (const Name& name : names)
        setShortcut(name.defaultShortcut(), name);
}

void resetAll() {
    UserDefaults* store = storeOrComplain();
    if (!store)
        return;
    const QString prefix = storagePrefix();
    for (const QString& key : store->keys(prefix)) {
        const Name name(key.mid(prefix.size()));
        const std::optional<Shortcut> old = getShortcut(name);
        store->remove(key);
        if (old) {
            if (CarbonKeyboardShortcuts* hotKeys = registry())
                hotKeys->unregisterShortcut(*old);
            announce(name);
        }
    }
}

bool isSandboxed() {
    static const bool sandboxed = qEnvironmentVariableIsSet("APP_SANDBOX_CONTAINER_ID");
    return sandboxed;
}

} // namespace KeyboardShortcuts
