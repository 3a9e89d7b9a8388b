#include "Brimlark/kit/SymbolIcon.h"

#include <QFile>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QPixmapCache>
#include <QSvgRenderer>
#include <QtMath>

#include <algorithm>

namespace {

QString resourcePath(const QString& name) {
    return QStringLiteral(":/symbols/%1.svg").arg(name);
}

// The stand-in for a missing drawing: a rounded square outline, inset like the real symbols.
void drawNeutralGlyph(QPainter& painter, int side) {
    const qreal lineWidth = std::max<qreal>(1.0, std::round(side / 12.0));
    const qreal inset = std::round(side * 0.2) + lineWidth / 2.0;
    const QRectF square(inset, inset, side - 2 * inset, side - 2 * inset);
    painter.setPen(QPen(Qt::black, lineWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(square, side * 0.12, side * 0.12);
}

QPixmap render(const QString& name, const QColor& color, const QSize& pixels, qreal devicePixelRatio) {
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        // Keep the drawing square and centred whatever shape was asked for.
        const int side = std::min(pixels.width(), pixels.height());
        painter.translate((pixels.width() - side) / 2, (pixels.height() - side) / 2);
        QSvgRenderer renderer;
        if (hasSymbol(name))
            renderer.load(resourcePath(name));
        if (renderer.isValid())
            renderer.render(&painter, QRectF(0, 0, side, side));
        else
            drawNeutralGlyph(painter, side);
        painter.resetTransform();
        // Keeps the drawing's coverage and replaces its colour with the tint.
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(image.rect(), color);
    }
    image.setDevicePixelRatio(devicePixelRatio);
    return QPixmap::fromImage(std::move(image));
}

} // namespace

bool hasSymbol(const QString& name) {
    // Only plain names: nothing that could step out of the symbols folder.
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        return false;
    return QFile::exists(resourcePath(name));
}

QPixmap symbolPixmap(const QString& name, const QColor& color, const QSize& size, qreal devicePixelRatio) {
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const QSize pixels(qCeil(size.width() * ratio), qCeil(size.height() * ratio));
    if (pixels.isEmpty())
        return {};
    const QString key = QStringLiteral("brimlark.symbol|%1|%2|%3x%4@%5")
                            .arg(name, color.name(QColor::HexArgb), QString::number(pixels.width()),
                                 QString::number(pixels.height()), QString::number(ratio));
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
        return pixmap;
    pixmap = render(name, color, pixels, ratio);
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}

void paintSymbol(QPainter& painter, const QRectF& rect, const QString& name, const QColor& color) {
    const qreal side = std::min(rect.width(), rect.height());
    if (side <= 0)
        return;
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QPixmap pixmap = symbolPixmap(name, color, QSize(qCeil(side), qCeil(side)), ratio);
    const QRectF target(rect.center().x() - side / 2.0, rect.center().y() - side / 2.0, side, side);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(target, pixmap, QRectF(pixmap.rect()));
    painter.restore();
}

QIcon symbolIcon(const QString& name, const QColor& color) {
    QIcon icon;
    for (const int side : {16, 24, 32, 48, 64})
        icon.addPixmap(symbolPixmap(name, color, QSize(side, side)));
    return icon;
}
