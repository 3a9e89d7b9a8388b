#include "Brimlark/pages/BasicTransportButton.h"

#include "Brimlark/kit/BrimlarkButtonStyle.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/SymbolIcon.h"

#include <QPainter>

namespace {
constexpr int frame = 30;
constexpr int symbolSize = 18;
} // namespace

BasicTransportButton::BasicTransportButton(const QString& symbol, const QString& accessibleName,
                                           QWidget* parent)
    : QAbstractButton(parent) {
    setFixedSize(frame, frame);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setSymbol(symbol, accessibleName);
    BrimlarkButtonStyle(0.9, 0.92).apply(this);
}

void BasicTransportButton::setSymbol(const QString& symbol, const QString& accessibleName) {
    m_symbol = symbol;
    setAccessibleName(accessibleName);
    setToolTip(accessibleName);
    update();
}

QSize BasicTransportButton::sizeHint() const {
    return {frame, frame};
}

bool BasicTransportButton::hitButton(const QPoint& position) const {
    const QPointF d = QPointF(position) - QRectF(rect()).center();
    return d.x() * d.x() + d.y() * d.y() <= (frame / 2.0) * (frame / 2.0);
}

void BasicTransportButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box(QPointF(0, 0), QSizeF(symbolSize, symbolSize));
    paintSymbol(painter, box.translated(QRectF(rect()).center() - box.center()), m_symbol,
                BrimlarkTheme::textPrimary());
}
