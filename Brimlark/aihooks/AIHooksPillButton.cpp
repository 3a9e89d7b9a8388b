#include "AIHooksPillButton.h"

#include "Brimlark/surface/BrimlarkButtonStyle.h"
#include "Brimlark/surface/BrimlarkTheme.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

AIHooksPillButton::AIHooksPillButton(const QString& title, bool compact, bool filled, const QColor& tint,
                                     QWidget* parent)
    : QAbstractButton(parent), m_compact(compact), m_filled(filled), m_tint(tint) {
    setText(title);
    setAccessibleName(title);
    setFont(compact ? BrimlarkTheme::monoMedium10() : BrimlarkTheme::monoMedium13());
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    BrimlarkButtonStyle(0.97, 0.92).apply(this);
}

QSize AIHooksPillButton::sizeHint() const {
    const QFontMetricsF metrics(font());
    const qreal horizontal = m_compact ? 10 : 14;
    const qreal vertical = m_compact ? 7 : 10;
    return {qCeil(metrics.horizontalAdvance(text()) + 2 * horizontal),
            qCeil(metrics.height() + 2 * vertical)};
}

void AIHooksPillButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    // A button that cannot be pressed (an absent action) stays readable but clearly off.
    if (!isEnabled())
        painter.setOpacity(0.4);
    const QRectF bounds = rect();
    QPainterPath capsule;
    capsule.addRoundedRect(bounds, bounds.height() / 2.0, bounds.height() / 2.0);
    painter.fillPath(capsule, m_filled ? m_tint : BrimlarkTheme::surface());

    const QRectF edge = bounds.adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath outline;
    outline.addRoundedRect(edge, edge.height() / 2.0, edge.height() / 2.0);
    QColor rim = m_tint;
    rim.setAlphaF(m_tint.alphaF() * (m_filled ? 0.2f : 0.45f));
    painter.setPen(QPen(rim, 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(outline);

    painter.setFont(font());
    painter.setPen(m_filled ? BrimlarkTheme::black() : m_tint);
    painter.drawText(bounds, Qt::AlignCenter | Qt::TextSingleLine, text());
}
