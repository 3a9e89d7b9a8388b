#include "Brimlark/shell/StatusObserver.h"

#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/SymbolIcon.h"

#include <QPainter>

#include <algorithm>

const QString StatusObserver::symbolName = QStringLiteral("rectangle.topthird.inset.filled");

std::optional<QColor> StatusObserver::dotColorFor(const std::optional<HookEvent>& activeEvent,
                                                  bool timerRunning) {
    if (activeEvent) {
        switch (activeEvent->status) {
        case HookEvent::Status::idle:
            return BrimlarkTheme::textTertiary();
        case HookEvent::Status::asking:
            return BrimlarkTheme::accent();
        case HookEvent::Status::working:
            return BrimlarkTheme::warning();
        case HookEvent::Status::finished:
            return BrimlarkTheme::success();
        case HookEvent::Status::error:
            return BrimlarkTheme::danger();
        }
    }
    if (timerRunning)
        return BrimlarkTheme::accent();
    return std::nullopt;
}

bool StatusObserver::isPulsingFor(const std::optional<HookEvent>& activeEvent) {
    return activeEvent && (activeEvent->status == HookEvent::Status::asking ||
                           activeEvent->status == HookEvent::Status::working);
}

QPixmap StatusObserver::render(int size, qreal devicePixelRatio) const {
    QPixmap pixmap(QSize(size, size) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const double inset = size * 0.12;
    const QRectF symbol(inset, inset, size - 2 * inset, size - 2 * inset);
    // The tray may be light or dark: a soft dark rim around the light symbol reads on both.
    const double rimWidth = std::max(1.0, size / 22.0);
    QColor rim(0, 0, 0);
    rim.setAlphaF(0.5f);
    for (int dx = -1; dx <= 1; ++dx) {
        for (int dy = -1; dy <= 1; ++dy) {
            if (dx != 0 || dy != 0)
                paintSymbol(painter, symbol.translated(dx * rimWidth, dy * rimWidth), symbolName, rim);
        }
    }
    paintSymbol(painter, symbol, symbolName, BrimlarkTheme::textPrimary());
    if (m_dotColor) {
        // 5 points at a 22-point label, scaled with it; shifted right and up from the corner.
        const double dot = size * 5.0 / 22.0;
        const double shiftX = size * 3.0 / 22.0;
        const double shiftY = size * 2.0 / 22.0;
        const QRectF frame(size - dot - inset + shiftX, inset - shiftY, dot, dot);
        const double scaled = dot * m_dotScale;
        const QRectF disc(frame.center() - QPointF(scaled / 2.0, scaled / 2.0), QSizeF(scaled, scaled));
        painter.setOpacity(m_dotOpacity);
        // The same dark rim, so that a light colour shows on a light tray too.
        QColor ring(0, 0, 0);
        ring.setAlphaF(0.5f);
        painter.setPen(QPen(ring, rimWidth * 0.75));
        painter.setBrush(*m_dotColor);
        painter.drawEllipse(disc);
    }
    return pixmap;
}

QIcon StatusObserver::icon(int size, qreal devicePixelRatio) const {
    // Drawn at the size the tray shows it, so the tray does not scale a larger picture each time.
    return QIcon(render(size, devicePixelRatio));
}
