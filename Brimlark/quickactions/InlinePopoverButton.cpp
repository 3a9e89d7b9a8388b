#include "Brimlark/quickactions/InlinePopoverButton.h"

#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/SymbolIcon.h"

#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int squareSide = 28;
constexpr int closeSide = 24;
// Circular corners this size look like the rounder continuous corners of a 12-point radius.
constexpr qreal squareRadius = 9;
// An 11-point semibold symbol, and the close cross at 10 points.
constexpr qreal squareSymbol = 12;
constexpr qreal closeSymbol = 9;
} // namespace

InlinePopoverButton::InlinePopoverButton(Style style, const QString& symbol, const QString& text,
                                         const QString& accessibleName, QWidget* parent)
    : QAbstractButton(parent), m_style(style), m_symbol(symbol) {
    setText(text);
    setAccessibleName(accessibleName);
    setToolTip(accessibleName);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    const int side = style == Style::square ? squareSide : closeSide;
    setFixedSize(side, side);
}

InlinePopoverButton* InlinePopoverButton::closeButton(QWidget* parent) {
    return new InlinePopoverButton(Style::close, QStringLiteral("xmark"), QString(), QStringLiteral("Close"),
                                   parent);
}

QSize InlinePopoverButton::sizeHint() const {
    const int side = m_style == Style::square ? squareSide : closeSide;
    return {side, side};
}

void InlinePopoverButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect());
    if (m_style == Style::close) {
        const QPointF c = frame.center();
        paintSymbol(painter,
                    QRectF(c.x() - closeSymbol / 2, c.y() - closeSymbol / 2, closeSymbol, closeSymbol),
                    m_symbol, BrimlarkTheme::textTertiary());
        return;
    }
    QPainterPath square;
    square.addRoundedRect(frame.adjusted(0.5, 0.5, -0.5, -0.5), squareRadius, squareRadius);
    painter.fillPath(square, BrimlarkTheme::notchBlack());
    painter.setPen(QPen(BrimlarkTheme::stroke(), 1));
    painter.drawPath(square);
    if (!m_symbol.isEmpty()) {
        const QPointF c = frame.center();
        paintSymbol(painter,
                    QRectF(c.x() - squareSymbol / 2, c.y() - squareSymbol / 2, squareSymbol, squareSymbol),
                    m_symbol, BrimlarkTheme::textPrimary());
        return;
    }
    painter.setFont(BrimlarkTheme::monoSemibold11());
    painter.setPen(BrimlarkTheme::textPrimary());
    painter.drawText(frame, Qt::AlignCenter, text());
}
