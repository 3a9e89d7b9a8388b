#pragma once

#include "Brimlark/core/NotchShape.h"

#include <QPainterPath>
#include <QRectF>

// The outline of `shape` within `rect` without its straight edge along the top: the panel hangs
// from the screen's top edge, where a border or a line would show as a bright seam. The sides, the
// bottom and the corners (the flared top corners under a physical notch too) stay.
QPainterPath notchRim(const NotchShape& shape, const QRectF& rect);
