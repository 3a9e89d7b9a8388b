#include "KeyboardShortcuts/MenuItemBinding.h"

#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "KeyboardShortcuts/Notifier.h"
#include "KeyboardShortcuts/ObjectAssociation.h"

#include <QAction>
#include <QPointer>

namespace KeyboardShortcuts {

namespace {

// Per action, the object that follows the bound name; a child of the action, so it goes with it.
const ObjectAssociation<QObject*>& observerAssociation() {
    static const ObjectAssociation<QObject*> association(AssociationPolicy::retainNonatomic);
    return association;
}

void apply(QAction& action, const Name& name) {
    const std::optional<Shortcut> shortcut = getShortcut(name);
    const std::optional<QKeySequence> sequence = shortcut ? shortcut->toKeySequence() : std::nullopt;
    action.setShortcut(sequence.value_or(QKeySequence()));
}

void removeObserver(QAction& action) {
    if (const std::optional<QObject*> observer = observerAssociation().get(action))
        delete *observer;
    observerAssociation().set(action, std::nullopt);
}

} // namespace

void setShortcut(QAction& action, const std::optional<Name>& name) {
    removeObserver(action);
    if (!name) {
        action.setShortcut(QKeySequence());
        return;
    }
    apply(action, *name);
    auto* observer = new QObject(&action);
    QObject::connect(&Notifier::shared(), &Notifier::shortcutByNameDidChange, observer,
                     [target = QPointer<QAction>(&action), bound = *name](const Name& changed) {
                         if (changed.rawValue() != bound.rawValue() || !target)
                             return;
                         // Read again when it runs: a later change in the same turn wins.
                         QMetaObject::invokeMethod(
                             target.data(),
                             [target, bound] {
                                 if (target)
                                     apply(*target, bound);
                             },
                             Qt::QueuedConnection);
                     });
    observerAssociation().set(action, observer);
}

} // namespace KeyboardShortcuts
