#pragma once

#include "Brimlark/kit/BrimlarkButtonStyle.h"

#include <QGraphicsEffect>

class QAbstractButton;
class QVariantAnimation;

// Draws a button (with all its child widgets) in the press look of a BrimlarkButtonStyle. It follows
// the button's pressed() and released() signals and springs its press progress towards 1 or 0. It is
// enabled only while the progress is off 0: at rest the button draws itself.
class BrimlarkPressEffect : public QGraphicsEffect {
    Q_OBJECT
public:
    BrimlarkPressEffect(const BrimlarkButtonStyle& style, QAbstractButton* button);

    // 0 at rest, 1 fully pressed; briefly a little outside while the spring settles.
    qreal progress() const { return m_progress; }
    // Jumps to `progress` at once, stopping any running animation (for snapshots of a state).
    void setProgress(qreal progress);

protected:
    void draw(QPainter* painter) override;

private:
    void animateTo(qreal target);
    void showProgress(qreal progress);

    BrimlarkButtonStyle m_style;
    QVariantAnimation* m_animation;
    qreal m_progress = 0.0;
};
