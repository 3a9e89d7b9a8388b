#include "Brimlark/kit/BrimlarkCard.h"

#include "Brimlark/kit/BrimlarkCardShadow.h"
#include "Brimlark/kit/KeptDrawing.h"

#include <QPainter>
#include <QVBoxLayout>

BrimlarkCard::BrimlarkCard(QWidget* content, const BrimlarkCardModifier& modifier, QWidget* parent)
    : QWidget(parent), m_modifier(modifier) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* layout = new QVBoxLayout(this);
    const int padding = qRound(modifier.padding);
    layout->setContentsMargins(padding, padding, padding, padding);
    layout->setSpacing(0);
    if (content)
        layout->addWidget(content);
    if (modifier.elevated || modifier.accent)
        setGraphicsEffect(new BrimlarkCardShadow(modifier, this));
}

void BrimlarkCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF card = rect();
    const qreal ratio = devicePixelRatioF();
    if (!canKeepDrawing(ratio)) {
        m_modifier.paintBackground(painter, card);
        // The content keeps clear of the edge by the padding, so the outline drawn here stays on top.
        m_modifier.paintOutline(painter, card);
        return;
    }
    // Both images are made together; either one made anew is drawn again.
    const bool sheenNew = refitKeptImage(m_sheen, size(), ratio);
    if (refitKeptImage(m_lines, size(), ratio) || sheenNew)
        drawEdges();
    // As paintBackground() then paintOutline() would, but for rounding: the edges are blended
    // from the images, a few levels apart at most on their anti-aliased pixels.
    m_modifier.paintFill(painter, card);
    painter.setCompositionMode(QPainter::CompositionMode_Plus);
    painter.drawImage(QPointF(0, 0), m_sheen);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawImage(QPointF(0, 0), m_lines);
}

void BrimlarkCard::drawEdges() {
    const QRectF card = rect();
    m_sheen.fill(Qt::transparent);
    {
        QPainter painter(&m_sheen);
        m_modifier.paintSheen(painter, card);
    }
    m_lines.fill(Qt::transparent);
    QPainter painter(&m_lines);
    m_modifier.paintHairline(painter, card);
    m_modifier.paintOutline(painter, card);
}

BrimlarkCard* brimlarkCard(QWidget* content, const std::optional<QColor>& accent, qreal padding,
                           bool usesMaterial, bool elevated, QWidget* parent) {
    return new BrimlarkCard(content, BrimlarkCardModifier{accent, padding, usesMaterial, elevated}, parent);
}
