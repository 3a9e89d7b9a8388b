#include "Brimlark/kit/PanelIconButton.h"

#include "Brimlark/kit/BrimlarkButtonStyle.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/KeptDrawing.h"
#include "Brimlark/kit/SymbolIcon.h"

#include <QPainter>
#include <QPainterPath>

PanelIconButton::PanelIconButton(const QString& symbol, const QString& accessibleName, int diameter,
                                 QWidget* parent)
    : QAbstractButton(parent), m_symbol(symbol), m_diameter(diameter),
      m_symbolColor(BrimlarkTheme::textSecondary()) {
    setAccessibleName(accessibleName);
    setToolTip(accessibleName);
    setFixedSize(diameter, diameter);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    BrimlarkButtonStyle(0.94, 0.92).apply(this);
}

void PanelIconButton::setSymbolColor(const QColor& color) {
    if (color == m_symbolColor)
        return;
    m_symbolColor = color;
    m_kept = QImage();
    update();
}

void PanelIconButton::setFillOpacity(double opacity) {
    if (opacity == m_fillOpacity)
        return;
    m_fillOpacity = opacity;
    m_kept = QImage();
    update();
}

QSize PanelIconButton::sizeHint() const {
    return {m_diameter, m_diameter};
}

bool PanelIconButton::hitButton(const QPoint& position) const {
    const QPointF centre = QRectF(rect()).center();
    const QPointF d = QPointF(position) - centre;
    return d.x() * d.x() + d.y() * d.y() <= (m_diameter / 2.0) * (m_diameter / 2.0);
}

void PanelIconButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const qreal ratio = devicePixelRatioF();
    if (!canKeepDrawing(ratio)) {
        paintButton(painter);
        return;
    }
    // The panel repaints around the button far more often than the button changes: the disc and
    // its symbol are drawn once into an image, again only when the size or a colour changes (the
    // setters drop the image).
    if (refitKeptImage(m_kept, size(), ratio)) {
        QPainter into(&m_kept);
        paintButton(into);
    }
    painter.drawImage(QPointF(0, 0), m_kept);
}

void PanelIconButton::paintButton(QPainter& painter) const {
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF disc = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QColor fill = BrimlarkTheme::surface();
    fill.setAlphaF(static_cast<float>(m_fillOpacity));
    painter.setBrush(fill);
    painter.setPen(QPen(BrimlarkTheme::stroke(), 1));
    painter.drawEllipse(disc);

    const QPointF c = disc.center();
    const double s = m_diameter * 0.16;
    QPainterPath glyph;
    if (m_symbol == QLatin1String("chevron.left")) {
        glyph.moveTo(c.x() + s * 0.5, c.y() - s);
        glyph.lineTo(c.x() - s * 0.5, c.y());
        glyph.lineTo(c.x() + s * 0.5, c.y() + s);
    } else if (m_symbol == QLatin1String("chevron.right")) {
        glyph.moveTo(c.x() - s * 0.5, c.y() - s);
        glyph.lineTo(c.x() + s * 0.5, c.y());
        glyph.lineTo(c.x() - s * 0.5, c.y() + s);
    } else if (m_symbol == QLatin1String("xmark")) {
        glyph.moveTo(c.x() - s * 0.8, c.y() - s * 0.8);
        glyph.lineTo(c.x() + s * 0.8, c.y() + s * 0.8);
        glyph.moveTo(c.x() + s * 0.8, c.y() - s * 0.8);
        glyph.lineTo(c.x() - s * 0.8, c.y() + s * 0.8);
    } else {
        paintSymbol(painter, QRectF(c.x() - s * 1.5, c.y() - s * 1.5, s * 3, s * 3), m_symbol, m_symbolColor);
        return;
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(m_symbolColor, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(glyph);
}
