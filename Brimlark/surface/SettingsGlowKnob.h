#pragma once

#include <QWidget>

class QVariantAnimation;

// An on/off switch that only shows a setting: its row's button does the toggling. The knob slides
// to the trailing end when on.
class SettingsGlowKnob : public QWidget {
    Q_OBJECT
public:
    explicit SettingsGlowKnob(bool isOn, QWidget* parent = nullptr);

    bool isOn() const { return m_isOn; }
    // Slides the knob over unless `animated` is false.
    void setOn(bool isOn, bool animated = true);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_isOn;
    // 0 at the leading end, 1 at the trailing end.
    qreal m_position;
    QVariantAnimation* m_animation;
};
