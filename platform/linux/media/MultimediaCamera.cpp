#include "platform/linux/media/MultimediaCamera.h"

#include <QCamera>
#include <QCameraDevice>
#include <QLoggingCategory>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QVideoFrame>
#include <QVideoFrameFormat>
#include <QVideoSink>

#include <cstdlib>
#include <limits>

namespace {

// The platform layer's category; this library does not link the layer that defines it.
Q_LOGGING_CATEGORY(lcCamera, "com.brimlark.app.platform")

// The format whose picture is nearest 640 × 480, the faster one among equals; none when the
// device lists no format (the backend then picks).
QCameraFormat previewFormat(const QCameraDevice& device) {
    constexpr qint64 wanted = 640 * 480;
    QCameraFormat best;
    qint64 bestDistance = std::numeric_limits<qint64>::max();
    for (const QCameraFormat& format : device.videoFormats()) {
        const qint64 pixels = qint64(format.resolution().width()) * format.resolution().height();
        const qint64 distance = std::abs(pixels - wanted);
        if (distance < bestDistance ||
            (distance == bestDistance && format.maxFrameRate() > best.maxFrameRate())) {
            best = format;
            bestDistance = distance;
        }
    }
    return best;
}

} // namespace

MultimediaCamera::MultimediaCamera() = default;

MultimediaCamera::~MultimediaCamera() {
    stop();
}

bool MultimediaCamera::configure(std::function<void(const QImage&)> frame) {
    if (m_sink)
        return m_camera != nullptr;
    m_sink = new QVideoSink(this);
    const QCameraDevice device = QMediaDevices::defaultVideoInput();
    if (device.isNull())
        return false;
    auto* camera = new QCamera(device, this);
    if (camera->error() != QCamera::NoError) {
        qCWarning(lcCamera, "camera %s cannot be used: %s", qUtf8Printable(device.description()),
                  qUtf8Printable(camera->errorString()));
        delete camera;
        return false;
    }
    if (const QCameraFormat format = previewFormat(device); !format.isNull())
        camera->setCameraFormat(format);
    connect(camera, &QCamera::errorOccurred, this, [](QCamera::Error, const QString& text) {
        qCWarning(lcCamera, "camera error: %s", qUtf8Printable(text));
    });
    // The backend may deliver on a thread of its own; the frame comes with the signal and is
    // handed on from this object's (the main) thread.
    connect(m_sink, &QVideoSink::videoFrameChanged, this,
            [frame = std::move(frame)](const QVideoFrame& video) {
                const QImage image = imageOf(video);
                if (!image.isNull())
                    frame(image);
            });
    m_camera = camera;
    m_session = new QMediaCaptureSession(this);
    m_session->setCamera(m_camera);
    m_session->setVideoSink(m_sink);
    return true;
}

void MultimediaCamera::start() {
    if (m_camera)
        m_camera->start();
}

void MultimediaCamera::stop() {
    if (m_camera)
        m_camera->stop();
}

bool MultimediaCamera::isRunning() const {
    return m_camera && m_camera->isActive();
}

QImage MultimediaCamera::imageOf(const QVideoFrame& frame) {
    const QVideoFrameFormat format = frame.surfaceFormat();
    const QImage::Format imageFormat = QVideoFrameFormat::imageFormatFromPixelFormat(frame.pixelFormat());
    QImage image;
    auto* mapped = new QVideoFrame(frame);
    if (imageFormat != QImage::Format_Invalid && mapped->map(QVideoFrame::ReadOnly)) {
        // The image keeps its own copy of the frame mapped for as long as it lives.
        image = QImage(
            mapped->bits(0), mapped->width(), mapped->height(), mapped->bytesPerLine(0), imageFormat,
            [](void* info) {
                auto* held = static_cast<QVideoFrame*>(info);
                held->unmap();
                delete held;
            },
            mapped);
    } else {
        delete mapped;
        // The YUV layouts of most cameras are converted.
        image = frame.toImage();
    }
    const bool mirrored = format.isMirrored();
    const bool upsideDown = format.scanLineDirection() == QVideoFrameFormat::BottomToTop;
    if (mirrored || upsideDown)
        image = image.mirrored(mirrored, upsideDown);
    return image;
}

extern "C" Q_DECL_EXPORT CameraModule* brimlark_create_camera_module() {
    return new MultimediaCamera();
}
