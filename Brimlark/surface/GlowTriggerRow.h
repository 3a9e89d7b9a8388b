#pragma once

#include <QAbstractButton>

class SettingsGlowKnob;

// One glow trigger in the glow tab: its symbol, title and description, and a knob showing whether
// the trigger is on. Pressing the row toggles it; while disabled the row is dimmed to half.
class GlowTriggerRow : public QAbstractButton {
    Q_OBJECT
public:
    GlowTriggerRow(const QString& symbol, const QString& title, const QString& subtitle, bool isOn,
                   QWidget* parent = nullptr);

    SettingsGlowKnob* knob() const { return m_knob; }
    void setOn(bool isOn);

protected:
    void paintEvent(QPaintEvent* event) override;
    // The checked state follows what the row shows; a click changes only the model behind it.
    void nextCheckState() override {}
    void changeEvent(QEvent* event) override;

private:
    void showEnabled();

    SettingsGlowKnob* m_knob;
};
