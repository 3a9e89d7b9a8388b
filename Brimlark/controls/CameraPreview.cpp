#include "Brimlark/controls/CameraPreview.h"

#include "Brimlark/kit/BrimlarkTheme.h"

#include <QPainter>
#include <QPainterPath>
#include <QVideoFrameFormat>
#include <QVideoSink>

namespace {
constexpr double cornerRadius = 10;
} // namespace

CameraPreview::CameraPreview(QVideoSink* sink, QWidget* parent) : QWidget(parent), m_sink(sink) {
    setAttribute(Qt::WA_TranslucentBackground);
    // Clicks fall through to the window, which may be dragged by its picture.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    if (!sink)
        return;
    m_frame = sink->videoFrame();
    // The frame comes with the signal: a backend may deliver from its own thread, and the copy
    // keeps the picture this view paints from its own.
    connect(sink, &QVideoSink::videoFrameChanged, this, [this](const QVideoFrame& frame) {
        m_frame = frame;
        update();
    });
}

void CameraPreview::setOutline(const QColor& color) {
    m_outline = color;
    update();
}

QRectF CameraPreview::croppedSource(const QSizeF& source, const QSizeF& target) {
    if (source.isEmpty() || target.isEmpty())
        return {};
    const double scale = std::max(target.width() / source.width(), target.height() / source.height());
    const QSizeF shown(target.width() / scale, target.height() / scale);
    return QRectF(QPointF((source.width() - shown.width()) / 2, (source.height() - shown.height()) / 2),
                  shown);
}

void CameraPreview::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = QRectF(rect());
    QPainterPath shape;
    shape.addRoundedRect(bounds, cornerRadius, cornerRadius);
    painter.fillPath(shape, BrimlarkTheme::surfaceSunken());
    if (m_frame.isValid()) {
        drawFrame(painter, shape);
    } else if (!m_sink) {
        painter.setFont(BrimlarkTheme::monoMedium11());
        painter.setPen(BrimlarkTheme::textTertiary());
        painter.drawText(bounds, Qt::AlignCenter, QStringLiteral("no camera picture"));
    }
    if (m_outline.isValid()) {
        QPainterPath edge;
        edge.addRoundedRect(bounds.adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius, cornerRadius);
        painter.setPen(QPen(m_outline, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(edge);
    }
}

void CameraPreview::drawFrame(QPainter& painter, const QPainterPath& shape) {
    QVideoFrame frame = m_frame;
    const QVideoFrameFormat format = frame.surfaceFormat();
    QImage image;
    bool mapped = false;
    // Frames in a layout QImage knows are drawn straight from their memory; others (the YUV of
    // most cameras) are converted first.
    const QImage::Format imageFormat = QVideoFrameFormat::imageFormatFromPixelFormat(frame.pixelFormat());
    if (imageFormat != QImage::Format_Invalid && frame.map(QVideoFrame::ReadOnly)) {
        mapped = true;
        image = QImage(frame.bits(0), frame.width(), frame.height(), frame.bytesPerLine(0), imageFormat);
    } else {
        image = frame.toImage();
    }
    if (!image.isNull()) {
        const QRectF target = shape.boundingRect();
        const QRectF source = croppedSource(image.size(), target.size());
        const double scale = target.width() / source.width();
        // A frame that arrives mirrored already is shown as it is.
        const double flipX = format.isMirrored() ? 1 : -1;
        const double flipY = format.scanLineDirection() == QVideoFrameFormat::BottomToTop ? -1 : 1;
        QTransform transform;
        transform.translate(target.center().x(), target.center().y());
        transform.scale(flipX * scale, flipY * scale);
        transform.translate(-source.center().x(), -source.center().y());
        QBrush picture(image);
        picture.setTransform(transform);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.fillPath(shape, picture);
    }
    if (mapped)
        frame.unmap();
}
