#include "platform/linux/QtCamera.h"

#include "platform/PlatformLog.h"

#include <QCamera>
#include <QCameraDevice>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QVideoSink>

#include <cstdlib>
#include <limits>

namespace {

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

QtCamera::QtCamera(QObject* parent) : Camera(parent) {}

QtCamera::~QtCamera() {
    stop();
}

bool QtCamera::configure() {
    if (m_sink)
        return m_camera != nullptr;
    m_sink = new QVideoSink(this);
    const QCameraDevice device = QMediaDevices::defaultVideoInput();
    if (device.isNull())
        return false;
    auto* camera = new QCamera(device, this);
    if (camera->error() != QCamera::NoError) {
        qCWarning(lcPlatform, "camera %s cannot be used: %s", qUtf8Printable(device.description()),
                  qUtf8Printable(camera->errorString()));
        delete camera;
        return false;
    }
    if (const QCameraFormat format = previewFormat(device); !format.isNull())
        camera->setCameraFormat(format);
    connect(camera, &QCamera::errorOccurred, this, [](QCamera::Error, const QString& text) {
        qCWarning(lcPlatform, "camera error: %s", qUtf8Printable(text));
    });
    m_camera = camera;
    m_session = new QMediaCaptureSession(this);
    m_session->setCamera(m_camera);
    m_session->setVideoSink(m_sink);
    return true;
}

void QtCamera::start() {
    if (m_camera)
        m_camera->start();
}

void QtCamera::stop() {
    if (m_camera)
        m_camera->stop();
}

bool QtCamera::isRunning() const {
    return m_camera && m_camera->isActive();
}
