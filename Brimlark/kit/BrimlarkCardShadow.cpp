#include "Brimlark/kit/BrimlarkCardShadow.h"

#include <QPainter>

BrimlarkCardShadow::BrimlarkCardShadow(const BrimlarkCardModifier& modifier, QObject* parent)
    : QGraphicsEffect(parent), m_modifier(modifier) {}

QRectF BrimlarkCardShadow::boundingRectFor(const QRectF& rect) const {
    return rect.marginsAdded(m_modifier.shadowMargins());
}

void BrimlarkCardShadow::draw(QPainter* painter) {
    const QRectF card = sourceBoundingRect(Qt::LogicalCoordinates);
    m_modifier.paintShadows(*painter, card);
    drawSource(painter);
}
