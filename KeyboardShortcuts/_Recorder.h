#pragma once

#include "KeyboardShortcuts/RecorderCocoa.h"

#include <QWidget>

namespace KeyboardShortcuts {

// The module's inner host of one recorder field (the leading underscore keeps it apart from
// Recorder, which applications place): it builds the field for a name and a change callback, and
// later only hands it a new name; the callback given first stays.
class _Recorder : public QWidget {
    Q_OBJECT
public:
    _Recorder(const Name& name, RecorderCocoa::OnChange onChange, QWidget* parent = nullptr);

    const Name& name() const { return m_field->shortcutName(); }
    // The field shows the new name's combination when its raw value differs.
    void setName(const Name& name);
    RecorderCocoa* field() const { return m_field; }

private:
    RecorderCocoa* m_field;
};

} // namespace KeyboardShortcuts
