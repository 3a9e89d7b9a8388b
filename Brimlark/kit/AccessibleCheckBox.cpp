#include "Brimlark/kit/AccessibleCheckBox.h"

#include <QAbstractButton>
#include <QAccessibleWidget>

namespace {

constexpr const char* exposedProperty = "brimlarkAccessibleCheckBox";

class CheckBoxInterface final : public QAccessibleWidget {
public:
    explicit CheckBoxInterface(QAbstractButton* row) : QAccessibleWidget(row, QAccessible::CheckBox) {}

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = row()->isChecked();
        return state;
    }

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name) {
            const QString name = row()->accessibleName();
            return name.isEmpty() ? row()->text() : name;
        }
        return QAccessibleWidget::text(kind);
    }

    QStringList actionNames() const override { return {toggleAction()}; }

    void doAction(const QString& name) override {
        if (name == toggleAction() && row()->isEnabled())
            row()->click();
    }

    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QAbstractButton* row() const { return static_cast<QAbstractButton*>(widget()); }
};

QAccessibleInterface* checkBoxFactory(const QString&, QObject* object) {
    if (!object || !object->isWidgetType() || !object->property(exposedProperty).toBool())
        return nullptr;
    if (auto* row = qobject_cast<QAbstractButton*>(object))
        return new CheckBoxInterface(row);
    return nullptr;
}

} // namespace

namespace AccessibleCheckBox {

void expose(QAbstractButton* row) {
    static const bool installed = [] {
        QAccessible::installFactory(checkBoxFactory);
        return true;
    }();
    (void)installed;
    row->setProperty(exposedProperty, true);
    row->setCheckable(true);
}

} // namespace AccessibleCheckBox
