#pragma once

#include "Brimlark/shortcuts/KeyboardShortcutManager.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QWidget>

class BrimlarkShortcutRecorder;

namespace KeyboardShortcuts {
class CarbonKeyboardShortcuts;
}

// The settings' shortcuts page: a line of introduction and one row per global shortcut, its label
// and its recorder, tinted accent and warning in turn. Focus cycling has no row.
class ShortcutsTab : public QWidget {
    Q_OBJECT
public:
    struct Row {
        QString label;
        KeyboardShortcutManager::Name name;
        QColor tint;
    };

    // The fifteen rows, "open basic mode" to "launch app batch".
    static QList<Row> defaultRows();

    // `registry` (may be null) is handed to every row's recorder.
    explicit ShortcutsTab(KeyboardShortcuts::CarbonKeyboardShortcuts* registry, QWidget* parent = nullptr);

    const QList<Row>& rows() const { return m_rows; }
    // The recorders, in row order.
    const QList<BrimlarkShortcutRecorder*>& recorders() const { return m_recorders; }

private:
    QList<Row> m_rows;
    QList<BrimlarkShortcutRecorder*> m_recorders;
};
