#include "Brimlark/settings/onboarding/OnboardingCard.h"

#include "Brimlark/kit/SymbolIcon.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>

OnboardingCard::OnboardingCard(const Look& look, bool clickable, QWidget* parent)
    : QAbstractButton(parent), m_look(look), m_clickable(clickable) {
    if (clickable)
        setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
}

void OnboardingCard::setLook(const Look& look) {
    m_look = look;
    update();
}

QLabel* OnboardingCard::symbol(const QString& name, const QColor& color, int size, int columnWidth,
                               QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setPixmap(symbolPixmap(name, color, QSize(size, size), parent->devicePixelRatioF()));
    label->setFixedWidth(columnWidth);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

void OnboardingCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF edge = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = qMin(m_look.cornerRadius, edge.height() / 2);
    QPainterPath shape;
    shape.addRoundedRect(edge, radius, radius);
    painter.fillPath(shape, m_look.fill);
    if (m_look.stroke.isValid()) {
        painter.setPen(QPen(m_look.stroke, 1.0));
        painter.drawPath(shape);
    }
}
