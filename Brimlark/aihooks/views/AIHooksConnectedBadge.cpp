#include "Brimlark/aihooks/views/AIHooksConnectedBadge.h"

#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/SymbolIcon.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace {
constexpr qreal horizontalPadding = 14;
constexpr qreal verticalPadding = 10;
constexpr qreal spacing = 6;

qreal symbolSize() {
    return QFontMetricsF(BrimlarkTheme::monoSemibold11()).height();
}
} // namespace

AIHooksConnectedBadge::AIHooksConnectedBadge(const QColor& tint, QWidget* parent)
    : QWidget(parent), m_tint(tint), m_text(QCoreApplication::translate("AIHooksTab", "connected")) {
    setAccessibleName(m_text);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize AIHooksConnectedBadge::sizeHint() const {
    const QFontMetricsF metrics(BrimlarkTheme::monoMedium13());
    return {qCeil(symbolSize() + spacing + metrics.horizontalAdvance(m_text) + 2 * horizontalPadding),
            qCeil(qMax(metrics.height(), symbolSize()) + 2 * verticalPadding)};
}

void AIHooksConnectedBadge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    const QRectF edge = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath capsule;
    capsule.addRoundedRect(edge, edge.height() / 2, edge.height() / 2);
    QColor fill = m_tint;
    fill.setAlphaF(m_tint.alphaF() * 0.12f);
    QColor rim = m_tint;
    rim.setAlphaF(m_tint.alphaF() * 0.55f);
    painter.fillPath(capsule, fill);
    painter.setPen(QPen(rim, 1.0));
    painter.drawPath(capsule);

    const qreal symbol = symbolSize();
    paintSymbol(painter, QRectF(horizontalPadding, (height() - symbol) / 2, symbol, symbol),
                QStringLiteral("checkmark.circle.fill"), m_tint);
    painter.setFont(BrimlarkTheme::monoMedium13());
    painter.setPen(m_tint);
    painter.drawText(QRectF(horizontalPadding + symbol + spacing, 0, width(), height()),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_text);
}
