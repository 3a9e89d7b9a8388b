#pragma once

#include "KeyboardShortcuts/Shortcut.h"

#include <QObject>
#include <QSet>

namespace KeyboardShortcuts {

// The combinations the program has registered as system-wide hot keys, one registration however
// many names share a combination. Storing and clearing a name's combination go through it. This
// class keeps the set; grabbing the keys on the desktop belongs to a subclass.
class HotKeyRegistry : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~HotKeyRegistry() override = default;

    // Registers the combination and adds it to the set. A subclass that grabs adds only what the
    // desktop accepted (it calls this after a successful grab).
    virtual void registerShortcut(const Shortcut& shortcut);
    // Lets the combination go and takes it out of the set: what a name does with its old one. A
    // subclass may keep it while another name still needs it.
    virtual void unregisterShortcut(const Shortcut& shortcut);

    bool isRegistered(const Shortcut& shortcut) const { return m_registered.contains(shortcut); }
    const QSet<Shortcut>& registeredShortcuts() const { return m_registered; }

private:
    QSet<Shortcut> m_registered;
};

} // namespace KeyboardShortcuts
