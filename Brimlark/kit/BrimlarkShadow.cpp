#include "Brimlark/kit/BrimlarkShadow.h"

#include <QGraphicsDropShadowEffect>

QGraphicsDropShadowEffect* BrimlarkShadow::makeEffect(QObject* parent) const {
    auto* effect = new QGraphicsDropShadowEffect(parent);
    effect->setColor(color);
    effect->setBlurRadius(blurRadius);
    effect->setOffset(x, y);
    return effect;
}
