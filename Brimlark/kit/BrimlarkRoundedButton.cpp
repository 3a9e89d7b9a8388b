#include "Brimlark/kit/BrimlarkRoundedButton.h"

#include "Brimlark/kit/BrimlarkButtonStyle.h"
#include "Brimlark/kit/BrimlarkTheme.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

BrimlarkRoundedButton::Look BrimlarkRoundedButton::Look::filled(const QColor& tint) {
    Look look;
    look.fill = tint;
    look.stroke = tint;
    look.text = BrimlarkTheme::black();
    return look;
}

BrimlarkRoundedButton::Look BrimlarkRoundedButton::Look::outlined(const QColor& tint) {
    Look look;
    look.fill = BrimlarkTheme::notchBlack();
    look.stroke = tint;
    look.stroke.setAlphaF(tint.alphaF() * 0.55f);
    look.text = tint;
    return look;
}

BrimlarkRoundedButton::BrimlarkRoundedButton(const QString& title, const Look& look, QWidget* parent)
    : QAbstractButton(parent), m_look(look) {
    setText(title);
    setAccessibleName(title);
    setFont(m_look.font);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    BrimlarkButtonStyle(0.97, 0.92).apply(this);
}

void BrimlarkRoundedButton::setLook(const Look& look) {
    m_look = look;
    setFont(m_look.font);
    updateGeometry();
    update();
}

QSize BrimlarkRoundedButton::sizeHint() const {
    const QFontMetricsF metrics(font());
    return {qCeil(metrics.horizontalAdvance(text()) + 2 * m_look.horizontalPadding),
            qCeil(metrics.height() + 2 * m_look.verticalPadding)};
}

void BrimlarkRoundedButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    if (!isEnabled())
        painter.setOpacity(0.4);
    const QRectF edge = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath shape;
    shape.addRoundedRect(edge, m_look.cornerRadius, m_look.cornerRadius);
    painter.fillPath(shape, m_look.fill);
    painter.setPen(QPen(m_look.stroke, 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(shape);
    painter.setFont(font());
    painter.setPen(m_look.text);
    const QRectF textRect =
        QRectF(rect()).adjusted(m_look.horizontalPadding, 0, -m_look.horizontalPadding, 0);
    painter.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine,
                     QFontMetricsF(font()).elidedText(text(), Qt::ElideRight, textRect.width()));
}
