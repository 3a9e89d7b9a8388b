#pragma once

#include <QPainterPath>
#include <QRectF>

// The panel's outline: a rectangle with rounded bottom corners and, under a physical notch, softly
// rounded top corners as well; without one the top stays square against the screen edge. The glow
// strokes the same outline grown a little, hence `inset`.
struct NotchShape {
    double bottomRadius = 0;
    // Size of the flared top corners; used only when there is a physical notch.
    double topInset = 0;
    bool hasPhysicalNotch = false;
    // How far the outline is pulled inside the rectangle it is drawn in (negative grows it).
    double insetAmount = 0;

    // The outline within `rect`, y growing downwards. Left open; filling closes it.
    QPainterPath path(const QRectF& rect) const;

    // The same shape drawn `amount` further inside its rectangle.
    NotchShape inset(double amount) const;
};
