#pragma once

#include <QImage>
#include <QSize>

// A widget that repaints the same drawing often may keep it as an image and blend that instead.
// Only at a whole pixel ratio: at a fractional one the widget does not start on a whole device
// pixel, and the kept image would be resampled.
bool canKeepDrawing(qreal ratio);

// Makes `image` anew, clear, for a widget of `size` at `ratio`, unless it already fits them. True
// when it was made anew and the drawing must go into it again.
bool refitKeptImage(QImage& image, const QSize& size, qreal ratio);
