#include "Brimlark/kit/BrimlarkCard.h"

#include "Brimlark/kit/BrimlarkCardShadow.h"

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
    m_modifier.paintBackground(painter, card);
    // The content keeps clear of the edge by the padding, so the outline drawn here stays on top.
    m_modifier.paintOutline(painter, card);
}

BrimlarkCard* brimlarkCard(QWidget* content, const std::optional<QColor>& accent, qreal padding,
                           bool usesMaterial, bool elevated, QWidget* parent) {
    return new BrimlarkCard(content, BrimlarkCardModifier{accent, padding, usesMaterial, elevated}, parent);
}
