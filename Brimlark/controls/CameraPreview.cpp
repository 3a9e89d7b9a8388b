#include "Brimlark/controls/CameraPreview.h"

#include "Brimlark/kit/BrimlarkTheme.h"
#include "platform/Camera.h"

#include <QPainter>
#include <QPainterPath>

namespace {
constexpr double cornerRadius = 10;
} // namespace

CameraPreview::CameraPreview(Camera* camera, QWidget* parent) : QWidget(parent), m_hasCamera(camera) {
    setAttribute(Qt::WA_TranslucentBackground);
    // Clicks fall through to the window, which may be dragged by its picture.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    if (!camera)
        return;
    m_frame = camera->frame();
    connect(camera, &Camera::frameChanged, this, [this](const QImage& frame) {
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
    if (!m_frame.isNull()) {
        drawFrame(painter, shape);
    } else if (!m_hasCamera) {
        painter.setFont(BrimlarkTheme::monoMedium11());
        painter.setPen(BrimlarkTheme::textTertiary());
        painter.drawText(bounds, Qt::AlignCenter, noCameraText());
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
    const QRectF target = shape.boundingRect();
    const QRectF source = croppedSource(m_frame.size(), target.size());
    const double scale = target.width() / source.width();
    // Flipped left to right about the view's centre.
    QTransform transform;
    transform.translate(target.center().x(), target.center().y());
    transform.scale(-scale, scale);
    transform.translate(-source.center().x(), -source.center().y());
    QBrush picture(m_frame);
    picture.setTransform(transform);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.fillPath(shape, picture);
}
