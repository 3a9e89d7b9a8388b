#include "CompactStatusButton.h"

#include "BrimlarkButtonStyle.h"
#include "BrimlarkTheme.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace {

constexpr qreal horizontalPadding = 8.0;
constexpr qreal verticalPadding = 5.0;

} // namespace

CompactStatusButton::CompactStatusButton(const QString& label, const QColor& tint, bool prominent,
                                         QWidget* parent)
    : QAbstractButton(parent), m_tint(tint), m_prominent(prominent) {
    setText(label);
    setAccessibleName(label);
    setFont(BrimlarkTheme::monoMedium10());
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    BrimlarkButtonStyle(0.95, 0.92).apply(this);
}

QSize CompactStatusButton::sizeHint() const {
    const QFontMetricsF metrics(font());
    return {qCeil(metrics.horizontalAdvance(text()) + 2 * horizontalPadding),
            qCeil(metrics.height() + 2 * verticalPadding)};
}

void CompactStatusButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    const QRectF bounds = rect();
    const qreal radius = bounds.height() / 2.0;
    QPainterPath fill;
    fill.addRoundedRect(bounds, radius, radius);
    painter.fillPath(fill, m_prominent ? m_tint : BrimlarkTheme::notchBlack());

    // A one-point line inset by half a point stays inside the capsule.
    const QRectF edge = bounds.adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath outline;
    outline.addRoundedRect(edge, edge.height() / 2.0, edge.height() / 2.0);
    QColor rim = m_tint;
    rim.setAlphaF(m_tint.alphaF() * (m_prominent ? 0.25f : 0.5f));
    painter.setPen(QPen(rim, 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(outline);

    painter.setFont(font());
    painter.setPen(m_prominent ? BrimlarkTheme::black() : m_tint);
    painter.drawText(bounds, Qt::AlignCenter | Qt::TextSingleLine, text());
}
