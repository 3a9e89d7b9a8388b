#include "Brimlark/kit/ColorBlend.h"

namespace ColorBlend {

QColor blend(const QColor& from, const QColor& to, qreal t) {
    const auto channel = [t](float a, float b) { return float(a + (b - a) * t); };
    return QColor::fromRgbF(channel(from.redF(), to.redF()), channel(from.greenF(), to.greenF()),
                            channel(from.blueF(), to.blueF()), channel(from.alphaF(), to.alphaF()));
}

QColor faded(QColor color, qreal opacity) {
    color.setAlphaF(float(color.alphaF() * opacity));
    return color;
}

} // namespace ColorBlend
