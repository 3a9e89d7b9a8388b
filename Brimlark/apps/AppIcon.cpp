#include "Brimlark/apps/AppIcon.h"

#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/SymbolIcon.h"

#include <QDir>
#include <QIcon>
#include <QPainter>

QPixmap appIconPixmap(const QString& icon, int size, int fallbackSize, qreal devicePixelRatio) {
    QPixmap canvas(QSize(size, size) * devicePixelRatio);
    canvas.setDevicePixelRatio(devicePixelRatio);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!icon.isEmpty()) {
        const QIcon loaded = QDir::isAbsolutePath(icon) ? QIcon(icon) : QIcon::fromTheme(icon);
        const QPixmap drawn =
            loaded.isNull() ? QPixmap() : loaded.pixmap(QSize(size, size), devicePixelRatio);
        if (!drawn.isNull()) {
            QSizeF shown = drawn.deviceIndependentSize();
            shown.scale(QSizeF(size, size), Qt::KeepAspectRatio);
            painter.drawPixmap(
                QRectF(QPointF((size - shown.width()) / 2, (size - shown.height()) / 2), shown), drawn,
                QRectF(drawn.rect()));
            return canvas;
        }
    }
    const qreal offset = (size - fallbackSize) / 2.0;
    painter.setRenderHint(QPainter::Antialiasing);
    paintSymbol(painter, QRectF(offset, offset, fallbackSize, fallbackSize), QStringLiteral("app.fill"),
                BrimlarkTheme::warning());
    return canvas;
}
