#pragma once

#include "KeyboardShortcuts/Name.h"

#include <QObject>
#include <QPointer>

class QAbstractButton;

namespace KeyboardShortcuts {

// Gives a control the name's stored combination as its shortcut inside the program, follows every
// change stored for the name, and takes the shortcut away while a recorder field records, so the
// field gets the key. It is a child of the control and ends with it.
class GlobalKeyboardShortcutViewModifier : public QObject {
    Q_OBJECT
public:
    GlobalKeyboardShortcutViewModifier(QAbstractButton& control, const Name& name);

    const Name& name() const { return m_name; }
    bool isRecorderActive() const { return m_isRecorderActive; }

private:
    void refresh();

    QPointer<QAbstractButton> m_control;
    Name m_name;
    bool m_isRecorderActive = false;
};

} // namespace KeyboardShortcuts
