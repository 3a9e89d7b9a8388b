#pragma once

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QSize>
#include <QString>

class QPainter;

// The capsule of the panel's text buttons: one line of plain text, dark on the solid tint when
// filled, else tinted on a dark fill, with a one-point rim of the tint.
struct BrimlarkCapsule {
    QColor tint;
    bool filled = false;
    // The fill when not filled.
    QColor background;
    // The rim's opacity, relative to the tint, when filled and when not.
    qreal filledRimOpacity = 0.25;
    qreal plainRimOpacity = 0.5;

    // The size of `text` in `font` with the given padding on each side.
    static QSize sizeFor(const QString& text, const QFont& font, qreal horizontalPadding,
                         qreal verticalPadding);
    void paint(QPainter& painter, const QRectF& bounds, const QString& text, const QFont& font) const;
};
