#include "KeyboardShortcuts/_Recorder.h"

#include <QHBoxLayout>

namespace KeyboardShortcuts {

_Recorder::_Recorder(const Name& name, RecorderCocoa::OnChange onChange, QWidget* parent)
    : QWidget(parent), m_field(new RecorderCocoa(name, std::move(onChange), this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_field);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void _Recorder::setName(const Name& name) {
    m_field->setShortcutName(name);
}

} // namespace KeyboardShortcuts
