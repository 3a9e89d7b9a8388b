#include "StatusObserver.h"

#include "Brimlark/surface/BrimlarkTheme.h"
#include "Brimlark/surface/SymbolIcon.h"

#include <QPainter>

const QString StatusObserver::symbolName = QStringLiteral("rectangle.topthird.inset.filled");

QPixmap StatusObserver::render(int size, qreal devicePixelRatio) const {
    QPixmap pixmap(QSize(size, size) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const double inset = size * 0.12;
    paintSymbol(painter, QRectF(inset, inset, size - 2 * inset, size - 2 * inset), symbolName,
                BrimlarkTheme::textPrimary());
    if (m_dotColor) {
        // 5 points at a 22-point label, scaled with it; shifted right and up from the corner.
        const double dot = size * 5.0 / 22.0;
        const double shiftX = size * 3.0 / 22.0;
        const double shiftY = size * 2.0 / 22.0;
        painter.setPen(Qt::NoPen);
        painter.setBrush(*m_dotColor);
        painter.drawEllipse(QRectF(size - dot - inset + shiftX, inset - shiftY, dot, dot));
    }
    return pixmap;
}

QIcon StatusObserver::icon() const {
    // One drawing large enough for every tray; the icon scales it down as the tray asks.
    return QIcon(render(48));
}
