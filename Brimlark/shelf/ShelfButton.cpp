#include "Brimlark/shelf/ShelfButton.h"

#include "Brimlark/kit/BrimlarkButtonStyle.h"
#include "Brimlark/kit/SymbolIcon.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

namespace {
constexpr qreal kGap = 4;
} // namespace

ShelfButton::ShelfButton(const QString& title, const Look& look, const QString& accessibleName,
                         QWidget* parent)
    : QAbstractButton(parent), m_look(look) {
    setText(title);
    setAccessibleName(accessibleName.isEmpty() ? title : accessibleName);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    BrimlarkButtonStyle(look.pressScale, look.pressOpacity).apply(this);
}

void ShelfButton::setAvailable(bool available, const QString& reason) {
    setEnabled(available);
    setToolTip(available ? QString() : reason);
    setAccessibleDescription(available ? QString() : reason);
}

QSize ShelfButton::sizeHint() const {
    const QFontMetricsF metrics(m_look.font);
    const qreal symbol = m_look.symbol.isEmpty() ? 0 : metrics.height();
    qreal width = metrics.horizontalAdvance(text()) + symbol + (symbol > 0 && !text().isEmpty() ? kGap : 0);
    qreal height = metrics.height();
    if (m_look.capsule.isValid()) {
        width += 16;
        height += 6;
    }
    return QSize(qCeil(width), qCeil(height));
}

void ShelfButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled())
        painter.setOpacity(0.4);
    const QRectF bounds(rect());
    if (m_look.capsule.isValid()) {
        QPainterPath capsule;
        capsule.addRoundedRect(bounds, bounds.height() / 2, bounds.height() / 2);
        painter.fillPath(capsule, m_look.capsule);
    }
    const QFontMetricsF metrics(m_look.font);
    const qreal symbol = m_look.symbol.isEmpty() ? 0 : metrics.height();
    const qreal gap = symbol > 0 && !text().isEmpty() ? kGap : 0;
    const qreal contentWidth = symbol + gap + metrics.horizontalAdvance(text());
    qreal x = (bounds.width() - contentWidth) / 2;
    if (symbol > 0) {
        paintSymbol(painter, QRectF(x, (bounds.height() - symbol) / 2, symbol, symbol).adjusted(1, 1, -1, -1),
                    m_look.symbol, m_look.color);
        x += symbol + gap;
    }
    painter.setFont(m_look.font);
    painter.setPen(m_look.color);
    painter.drawText(QRectF(x, 0, bounds.width() - x, bounds.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     text());
}
