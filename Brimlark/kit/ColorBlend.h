#pragma once

#include <QColor>

// Colour arithmetic the views share when they animate between two looks.
namespace ColorBlend {

// The colour a fraction `t` of the way from `from` to `to`, alpha included: 0 is `from`, 1 `to`.
QColor blend(const QColor& from, const QColor& to, qreal t);
// `color` with its alpha multiplied by `opacity`.
QColor faded(QColor color, qreal opacity);

} // namespace ColorBlend
