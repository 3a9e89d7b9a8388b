#include "Brimlark/shell/StatusObserver.h"

#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/SymbolIcon.h"

#include <QPainter>

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
    paintSymbol(painter, QRectF(inset, inset, size - 2 * inset, size - 2 * inset), symbolName,
                BrimlarkTheme::textPrimary());
    if (m_dotColor) {
        // 5 points at a 22-point label, scaled with it; shifted right and up from the corner.
        const double dot = size * 5.0 / 22.0;
        const double shiftX = size * 3.0 / 22.0;
        const double shiftY = size * 2.0 / 22.0;
        const QRectF frame(size - dot - inset + shiftX, inset - shiftY, dot, dot);
        const double scaled = dot * m_dotScale;
        painter.setPen(Qt::NoPen);
        painter.setBrush(*m_dotColor);
        painter.setOpacity(m_dotOpacity);
        painter.drawEllipse(
            QRectF(frame.center() - QPointF(scaled / 2.0, scaled / 2.0), QSizeF(scaled, scaled)));
    }
    return pixmap;
}

QIcon StatusObserver::icon() const {
    // One drawing large enough for every tray; the icon scales it down as the tray asks.
    return QIcon(render(48));
}
