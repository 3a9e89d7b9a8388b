#pragma once

#include "KeyboardShortcuts/RecorderCocoa.h"

#include <QWidget>

#include <functional>

namespace KeyboardShortcuts {

class _Recorder;

// The recorder field an application places in its settings, alone or on a row after a label.
class Recorder : public QWidget {
    Q_OBJECT
public:
    // A title given as a key of the application's translations.
    struct TitleKey {
        const char* key;
    };
    using LabelBuilder = std::function<QWidget*()>;

    // The field alone.
    explicit Recorder(const Name& name, RecorderCocoa::OnChange onChange = {}, QWidget* parent = nullptr);
    // After the translation of `titleKey` (the key itself without one).
    Recorder(TitleKey titleKey, const Name& name, RecorderCocoa::OnChange onChange = {},
             QWidget* parent = nullptr);
    // After `title`, shown as it is.
    Recorder(const QString& title, const Name& name, RecorderCocoa::OnChange onChange = {},
             QWidget* parent = nullptr);
    // After the widget `label` builds.
    Recorder(const Name& name, RecorderCocoa::OnChange onChange, const LabelBuilder& label,
             QWidget* parent = nullptr);

    bool hasLabel() const { return m_label != nullptr; }
    // The label, or nullptr.
    QWidget* label() const { return m_label; }
    _Recorder* wrapper() const { return m_wrapper; }
    RecorderCocoa* field() const;

private:
    Recorder(const Name& name, RecorderCocoa::OnChange onChange, QWidget* label, QWidget* parent);

    _Recorder* m_wrapper;
    QWidget* m_label;
};

} // namespace KeyboardShortcuts
