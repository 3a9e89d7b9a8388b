#include "KeyboardShortcuts/GlobalKeyboardShortcutViewModifier.h"

#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "KeyboardShortcuts/Notifier.h"

#include <QAbstractButton>

namespace KeyboardShortcuts {

GlobalKeyboardShortcutViewModifier::GlobalKeyboardShortcutViewModifier(QAbstractButton& control,
                                                                       const Name& name)
    : QObject(&control), m_control(&control), m_name(name) {
    connect(&Notifier::shared(), &Notifier::shortcutByNameDidChange, this, [this](const Name& changed) {
        if (changed.rawValue() == m_name.rawValue())
            refresh();
    });
    connect(&Notifier::shared(), &Notifier::recorderActiveStatusDidChange, this, [this](bool active) {
        m_isRecorderActive = active;
        refresh();
    });
    refresh();
}

void GlobalKeyboardShortcutViewModifier::refresh() {
    if (!m_control)
        return;
    std::optional<QKeySequence> sequence;
    if (!m_isRecorderActive) {
        if (const std::optional<Shortcut> stored = getShortcut(m_name))
            sequence = stored->toKeySequence();
    }
    m_control->setShortcut(sequence.value_or(QKeySequence()));
}

} // namespace KeyboardShortcuts
