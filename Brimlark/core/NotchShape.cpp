#include "Brimlark/core/NotchShape.h"

#include <algorithm>

QPainterPath NotchShape::path(const QRectF& rect) const {
    // Half the inset vertically: the outline is far wider than tall and hangs from the screen's
    // top edge, so a full vertical inset would cost it proportionally much more height.
    const QRectF inner = rect.adjusted(insetAmount, insetAmount / 2, -insetAmount, -insetAmount / 2);
    const double minX = inner.left();
    const double maxX = inner.right();
    const double minY = inner.top();
    const double maxY = inner.bottom();

    const double topCorner = topInset - insetAmount;
    const double t = hasPhysicalNotch && topCorner >= 0 ? topCorner : 0;
    const double b = std::max(bottomRadius - insetAmount, 0.0);

    QPainterPath outline;
    outline.moveTo(minX, minY + t);
    if (hasPhysicalNotch) {
        outline.quadTo(minX, minY, minX + t, minY);
        outline.lineTo(maxX - t, minY);
        outline.quadTo(maxX, minY, maxX, minY + t);
    } else {
        outline.lineTo(maxX, minY);
    }

    // Qt counts arc angles counter-clockwise as seen on screen, so negative sweeps turn the
    // corners clockwise: right edge down into the bottom edge, bottom edge up into the left edge.
    outline.lineTo(maxX, maxY - b);
    outline.arcTo(QRectF(maxX - 2 * b, maxY - 2 * b, 2 * b, 2 * b), 0, -90);
    outline.lineTo(minX + b, maxY);
    outline.arcTo(QRectF(minX, maxY - 2 * b, 2 * b, 2 * b), 270, -90);
    outline.lineTo(minX, minY + t);
    return outline;
}

NotchShape NotchShape::inset(double amount) const {
    NotchShape shape = *this;
    shape.insetAmount += amount;
    return shape;
}
