#pragma once

#include <QColor>

// A drop shadow of the theme: colour, blur radius and offset in points.
struct BrimlarkShadow {
    QColor color;
    qreal blurRadius = 0.0;
    qreal x = 0.0;
    qreal y = 0.0;
};
