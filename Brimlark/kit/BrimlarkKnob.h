#pragma once

#include <QColor>
#include <QWidget>

class QVariantAnimation;

// An on/off switch that only shows a state: the row or card around it takes the click. A capsule
// track with a circle that slides to the trailing end when on; the kinds of switch differ only in
// their colours.
class BrimlarkKnob : public QWidget {
    Q_OBJECT
public:
    explicit BrimlarkKnob(bool isOn, QWidget* parent = nullptr);

    bool isOn() const { return m_isOn; }
    // Slides the circle over (and moves the colours with it) unless `animated` is false.
    void setOn(bool isOn, bool animated = true);

protected:
    struct Colours {
        QColor track;
        QColor rim;
        QColor circle;
    };
    // The colours at `position`: 0 off (leading end), 1 on (trailing end), in between while sliding.
    virtual Colours colours(qreal position) const = 0;
    // Dark track, stroke rim and light circle when off; all in the warning colour with a black
    // circle when on; the colours in between blend with the circle's position.
    static Colours crossFadeColours(qreal position);

    void paintEvent(QPaintEvent* event) override;

private:
    bool m_isOn;
    qreal m_position;
    QVariantAnimation* m_animation;
};
