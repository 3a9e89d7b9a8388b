#include "Brimlark/apps/AppBatchButton.h"

#include "Brimlark/kit/BrimlarkButtonStyle.h"
#include "Brimlark/kit/BrimlarkPill.h"
#include "Brimlark/kit/SymbolIcon.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace {
constexpr qreal gap = 5;
} // namespace

AppBatchButton::AppBatchButton(Look look, const QString& title, const QString& symbol, const QColor& color,
                               const QFont& font, const QString& accessibleName, QWidget* parent)
    : QAbstractButton(parent), m_look(look), m_symbol(symbol), m_color(color), m_font(font) {
    setText(title);
    setAccessibleName(accessibleName);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    BrimlarkButtonStyle(0.94, 0.92).apply(this);
}

void AppBatchButton::setContentOpacity(qreal opacity) {
    if (qFuzzyCompare(m_contentOpacity, opacity))
        return;
    m_contentOpacity = opacity;
    update();
}

QSize AppBatchButton::sizeHint() const {
    const QFontMetricsF metrics(m_font);
    switch (m_look) {
    case Look::pill:
        return BrimlarkPill::sizeFor(text(), m_font).toSize() + QSize(1, 1);
    case Look::symbol: {
        const int side = static_cast<int>(std::ceil(metrics.height()));
        return QSize(side, side);
    }
    case Look::label:
        break;
    }
    const qreal symbol = m_symbol.isEmpty() ? 0 : metrics.capHeight() + 3;
    const qreal width = symbol + (symbol > 0 ? gap : 0) + metrics.horizontalAdvance(text());
    return QSize(static_cast<int>(std::ceil(width)) + 2, static_cast<int>(std::ceil(metrics.height())) + 4);
}

void AppBatchButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(m_contentOpacity);
    const QRectF bounds(rect());
    switch (m_look) {
    case Look::pill:
        BrimlarkPill::paint(painter, bounds, text(), m_color, true, true, m_font);
        return;
    case Look::symbol:
        paintSymbol(painter, bounds, m_symbol, m_color);
        return;
    case Look::label:
        break;
    }
    const QFontMetricsF metrics(m_font);
    const qreal symbol = m_symbol.isEmpty() ? 0 : metrics.capHeight() + 3;
    const qreal width = symbol + (symbol > 0 ? gap : 0) + metrics.horizontalAdvance(text());
    qreal x = (bounds.width() - width) / 2;
    if (symbol > 0) {
        paintSymbol(painter, QRectF(x, (bounds.height() - symbol) / 2, symbol, symbol), m_symbol, m_color);
        x += symbol + gap;
    }
    painter.setFont(m_font);
    painter.setPen(m_color);
    painter.drawText(QRectF(x, 0, bounds.width() - x, bounds.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     text());
}
