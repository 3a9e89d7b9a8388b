#include "platform/linux/QtCamera.h"

#include "platform/PlatformLog.h"
#include "platform/linux/CameraModule.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>
#include <QPointer>

namespace {

QStringList moduleCandidates() {
    QStringList candidates;
    if (const QString chosen = qEnvironmentVariable("BRIMLARK_CAMERA_MODULE"); !chosen.isEmpty())
        candidates.append(chosen);
    candidates.append(QCoreApplication::applicationDirPath() + QStringLiteral("/libbrimlark_camera.so"));
#ifdef BRIMLARK_CAMERA_MODULE_PATH
    candidates.append(QStringLiteral(BRIMLARK_CAMERA_MODULE_PATH));
#endif
    return candidates;
}

} // namespace

QtCamera::QtCamera(QObject* parent) : Camera(parent) {}

QtCamera::~QtCamera() {
    stop();
    m_module.reset();
    // The library stays loaded: Qt Multimedia keeps threads and objects of its own until exit.
}

bool QtCamera::configure() {
    if (m_configured)
        return m_module != nullptr;
    m_configured = true;
    for (const QString& path : moduleCandidates()) {
        if (!QFileInfo::exists(path))
            continue;
        auto library = std::make_unique<QLibrary>(path);
        const auto create =
            reinterpret_cast<CreateCameraModule>(library->resolve(BRIMLARK_CAMERA_MODULE_ENTRY));
        if (!create) {
            qCWarning(lcPlatform, "camera module %s cannot be loaded: %s", qUtf8Printable(path),
                      qUtf8Printable(library->errorString()));
            continue;
        }
        m_library = std::move(library);
        m_module.reset(create());
        break;
    }
    if (!m_module) {
        qCWarning(lcPlatform, "camera module not found");
        return false;
    }
    QPointer<QtCamera> self(this);
    if (m_module->configure([self](const QImage& frame) {
            if (self)
                self->deliver(frame);
        }))
        return true;
    m_module.reset();
    return false;
}

void QtCamera::start() {
    if (m_module)
        m_module->start();
}

void QtCamera::stop() {
    if (m_module)
        m_module->stop();
}

bool QtCamera::isRunning() const {
    return m_module && m_module->isRunning();
}
