#pragma once

#include <QWidget>

class QVariantAnimation;

// The on/off switch at the end of a quick-actions settings card. It only shows the state; the
// card around it takes the click. The circle slides to the trailing end when on.
class QuickActionsKnob : public QWidget {
    Q_OBJECT
public:
    explicit QuickActionsKnob(bool isOn, QWidget* parent = nullptr);

    bool isOn() const { return m_isOn; }
    // Slides the circle and cross-fades the colours unless `animated` is false.
    void setOn(bool isOn, bool animated = true);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_isOn;
    // 0 off (leading end), 1 on (trailing end).
    qreal m_position;
    QVariantAnimation* m_animation;
};
