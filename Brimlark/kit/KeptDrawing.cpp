#include "Brimlark/kit/KeptDrawing.h"

#include <cmath>

bool canKeepDrawing(qreal ratio) {
    return ratio == std::floor(ratio);
}

bool refitKeptImage(QImage& image, const QSize& size, qreal ratio) {
    const QSize pixels = size * int(ratio);
    if (!image.isNull() && image.size() == pixels && image.devicePixelRatio() == ratio)
        return false;
    image = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    return true;
}
