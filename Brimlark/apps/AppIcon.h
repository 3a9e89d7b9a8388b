#pragma once

#include <QPixmap>
#include <QString>

// An application's icon for the batch views: `icon` is an icon theme name or an absolute path
// (from the desktop entry's "Icon="). Drawn `size` points square, scaled to fit with its aspect
// kept; when there is none or it cannot be loaded, the symbol "app.fill" of `fallbackSize` points in
// the warning colour, centred.
QPixmap appIconPixmap(const QString& icon, int size, int fallbackSize, qreal devicePixelRatio);
