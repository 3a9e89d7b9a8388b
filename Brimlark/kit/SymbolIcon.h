#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QRectF>
#include <QSize>
#include <QString>

class QPainter;

// Symbols are monochrome drawings bundled as ":/symbols/<name>.svg" and tinted when drawn. A name
// without a drawing gets a neutral rounded square, so a typo shows up on screen instead of crashing.

// Whether a drawing is bundled for `name`.
bool hasSymbol(const QString& name);

// `name` in `color`, `size` points square at `devicePixelRatio`. Cached by name, colour and size;
// an empty size gives a null pixmap.
QPixmap symbolPixmap(const QString& name, const QColor& color, const QSize& size,
                     qreal devicePixelRatio = 1.0);

// Paints `name` in `color`, centred in `rect` and as large as fits it, at the device's pixel ratio.
void paintSymbol(QPainter& painter, const QRectF& rect, const QString& name, const QColor& color);

// `name` in `color` at the usual icon sizes, for menus and tool buttons.
QIcon symbolIcon(const QString& name, const QColor& color);
