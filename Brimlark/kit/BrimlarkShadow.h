#pragma once

#include <QColor>

class QGraphicsDropShadowEffect;
class QObject;

// A drop shadow of the theme: colour, blur radius and offset in points.
struct BrimlarkShadow {
    QColor color;
    qreal blurRadius = 0.0;
    qreal x = 0.0;
    qreal y = 0.0;

    // A new effect casting this shadow, owned by `parent` until a widget takes it.
    QGraphicsDropShadowEffect* makeEffect(QObject* parent = nullptr) const;
};
