#include "platform/linux/media/QtCamera.h"

#include "platform/PlatformLog.h"
#include "platform/linux/PluginModule.h"
#include "platform/linux/media/CameraModule.h"

#include <QPointer>

namespace {

QStringList moduleCandidates() {
    QStringList candidates = pluginModuleCandidates(QStringLiteral("libbrimlark_camera.so"));
    if (const QString chosen = qEnvironmentVariable("BRIMLARK_CAMERA_MODULE"); !chosen.isEmpty())
        candidates.prepend(chosen);
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
    const PluginModuleEntry loaded = loadPluginModuleEntry(moduleCandidates(), BRIMLARK_CAMERA_MODULE_ENTRY);
    if (!loaded.function) {
        qCWarning(lcPlatform, "camera module cannot be loaded: %s", qUtf8Printable(loaded.error));
        return false;
    }
    m_module.reset(reinterpret_cast<CreateCameraModule>(loaded.function)());
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
