#include "KeyboardShortcuts/Recorder.h"

#include "KeyboardShortcuts/_Recorder.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>

namespace KeyboardShortcuts {

namespace {
QLabel* textLabel(const QString& text) {
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    return label;
}
} // namespace

Recorder::Recorder(const Name& name, RecorderCocoa::OnChange onChange, QWidget* label, QWidget* parent)
    : QWidget(parent), m_wrapper(new _Recorder(name, std::move(onChange), this)), m_label(label) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    if (m_label) {
        m_label->setParent(this);
        layout->addWidget(m_label, 1);
    }
    layout->addWidget(m_wrapper, 0, Qt::AlignVCenter);
}

Recorder::Recorder(const Name& name, RecorderCocoa::OnChange onChange, QWidget* parent)
    : Recorder(name, std::move(onChange), static_cast<QWidget*>(nullptr), parent) {}

Recorder::Recorder(TitleKey titleKey, const Name& name, RecorderCocoa::OnChange onChange, QWidget* parent)
    : Recorder(name, std::move(onChange),
               textLabel(QCoreApplication::translate("KeyboardShortcuts::Recorder", titleKey.key)), parent) {}

Recorder::Recorder(const QString& title, const Name& name, RecorderCocoa::OnChange onChange, QWidget* parent)
    : Recorder(name, std::move(onChange), textLabel(title), parent) {}

Recorder::Recorder(const Name& name, RecorderCocoa::OnChange onChange, const LabelBuilder& label,
                   QWidget* parent)
    : Recorder(name, std::move(onChange), label ? label() : nullptr, parent) {}

RecorderCocoa* Recorder::field() const {
    return m_wrapper->field();
}

} // namespace KeyboardShortcuts
