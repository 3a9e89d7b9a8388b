#pragma once

#include <QAbstractButton>

class SettingsToggleKnob;

// An on/off row of the settings window: a tile with the row's title and subtitle on the left and
// a switch on the right. The whole tile is the button; whoever holds it flips the value on a click
// and shows the new one with setOn(). Assistive tools read it as a check box with its state.
class SettingsToggleRow : public QAbstractButton {
    Q_OBJECT
public:
    SettingsToggleRow(const QString& title, const QString& subtitle, bool isOn, QWidget* parent = nullptr);

    bool isOn() const;
    void setOn(bool isOn, bool animated = true);
    SettingsToggleKnob* knob() const { return m_knob; }

protected:
    void paintEvent(QPaintEvent* event) override;
    // The checked state follows setOn(); a click leaves it to the holder.
    void nextCheckState() override {}

private:
    SettingsToggleKnob* m_knob;
};
