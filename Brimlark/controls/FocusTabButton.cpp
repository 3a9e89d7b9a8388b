#include "Brimlark/controls/FocusTabButton.h"

#include "Brimlark/kit/BrimlarkButtonStyle.h"
#include "Brimlark/kit/BrimlarkTheme.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace {
constexpr int horizontalPadding = 12;
constexpr int verticalPadding = 8;
constexpr qreal cornerRadius = 10;
} // namespace

FocusTabButton::FocusTabButton(const QString& title, Style style, const QColor& tint, QWidget* parent)
    : QAbstractButton(parent), m_style(style), m_tint(tint) {
    setText(title);
    setAccessibleName(title);
    setFont(BrimlarkTheme::monoMedium13());
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    BrimlarkButtonStyle(0.97, 0.92).apply(this);
}

QSize FocusTabButton::sizeHint() const {
    const QFontMetricsF metrics(font());
    return {qCeil(metrics.horizontalAdvance(text()) + 2 * horizontalPadding),
            qCeil(metrics.height() + 2 * verticalPadding)};
}

void FocusTabButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    if (!isEnabled())
        painter.setOpacity(0.4);
    const bool filled = m_style == Style::filled;
    const QRectF edge = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath shape;
    shape.addRoundedRect(edge, cornerRadius, cornerRadius);
    painter.fillPath(shape, filled ? m_tint : BrimlarkTheme::notchBlack());
    QColor rim = m_tint;
    if (!filled)
        rim.setAlphaF(m_tint.alphaF() * 0.55f);
    painter.setPen(QPen(rim, 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(shape);
    painter.setFont(font());
    painter.setPen(filled ? BrimlarkTheme::black() : m_tint);
    const QRectF textRect = QRectF(rect()).adjusted(horizontalPadding, 0, -horizontalPadding, 0);
    painter.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine,
                     QFontMetricsF(font()).elidedText(text(), Qt::ElideRight, textRect.width()));
}
