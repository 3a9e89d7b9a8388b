#include "Brimlark/kit/BrimlarkCapsule.h"

#include "Brimlark/kit/BrimlarkTheme.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

QSize BrimlarkCapsule::sizeFor(const QString& text, const QFont& font, qreal horizontalPadding,
                               qreal verticalPadding) {
    const QFontMetricsF metrics(font);
    return {qCeil(metrics.horizontalAdvance(text) + 2 * horizontalPadding),
            qCeil(metrics.height() + 2 * verticalPadding)};
}

void BrimlarkCapsule::paint(QPainter& painter, const QRectF& bounds, const QString& text,
                            const QFont& font) const {
    painter.save();
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    QPainterPath fill;
    fill.addRoundedRect(bounds, bounds.height() / 2.0, bounds.height() / 2.0);
    painter.fillPath(fill, filled ? tint : background);

    // A one-point line inset by half a point stays inside the capsule.
    const QRectF edge = bounds.adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath outline;
    outline.addRoundedRect(edge, edge.height() / 2.0, edge.height() / 2.0);
    QColor rim = tint;
    rim.setAlphaF(tint.alphaF() * (filled ? filledRimOpacity : plainRimOpacity));
    painter.setPen(QPen(rim, 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(outline);

    painter.setFont(font);
    painter.setPen(filled ? BrimlarkTheme::black() : tint);
    painter.drawText(bounds, Qt::AlignCenter | Qt::TextSingleLine, text);
    painter.restore();
}
