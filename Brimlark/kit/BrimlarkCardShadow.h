#pragma once

#include "Brimlark/kit/BrimlarkCardModifier.h"

#include <QGraphicsEffect>

// Draws a card's shadows around the widget it is set on, then the widget itself: the shadows reach
// outside the widget without growing it.
class BrimlarkCardShadow : public QGraphicsEffect {
    Q_OBJECT
public:
    explicit BrimlarkCardShadow(const BrimlarkCardModifier& modifier, QObject* parent = nullptr);

    QRectF boundingRectFor(const QRectF& rect) const override;

protected:
    void draw(QPainter* painter) override;

private:
    BrimlarkCardModifier m_modifier;
};
