#include "Brimlark/settings/SettingsCloseButton.h"

#include "Brimlark/kit/BrimlarkButtonStyle.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/SymbolIcon.h"

#include <QPainter>

namespace {
constexpr int diameter = 34;
// The cross as large as a bold 13-point glyph.
constexpr qreal crossSide = 12;
} // namespace

SettingsCloseButton::SettingsCloseButton(QWidget* parent) : QAbstractButton(parent) {
    setAccessibleName(QStringLiteral("Close"));
    setToolTip(QStringLiteral("Close"));
    setFixedSize(diameter, diameter);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    BrimlarkButtonStyle(0.96, 0.92).apply(this);
}

QSize SettingsCloseButton::sizeHint() const {
    return {diameter, diameter};
}

bool SettingsCloseButton::hitButton(const QPoint& position) const {
    const QPointF d = QPointF(position) - QRectF(rect()).center();
    return d.x() * d.x() + d.y() * d.y() <= (diameter / 2.0) * (diameter / 2.0);
}

void SettingsCloseButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF disc = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setBrush(BrimlarkTheme::surface());
    painter.setPen(QPen(BrimlarkTheme::strokeStrong(), 1));
    painter.drawEllipse(disc);
    // The sheen lightens what lies under it instead of covering it.
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_Plus);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QBrush(BrimlarkTheme::softSheen()), 1));
    painter.drawEllipse(disc);
    painter.restore();
    const QPointF c = disc.center();
    paintSymbol(painter, QRectF(c.x() - crossSide / 2, c.y() - crossSide / 2, crossSide, crossSide),
                QStringLiteral("xmark"), BrimlarkTheme::textPrimary());
}
