#include "Brimlark/controls/CameraMirrorService.h"

#include "Brimlark/core/Logging.h"
#include "Brimlark/core/PermissionsCoordinator.h"
#include "platform/Camera.h"
#include "platform/UserDefaults.h"

#include <QPointer>

#include <cmath>

const QString CameraMirrorService::placementKey = QStringLiteral("brimlark.mirrorPlacement");

CameraMirrorService::CameraMirrorService(UserDefaults& defaults, Camera* camera, Clock* clock,
                                         QObject* parent)
    : QObject(parent), m_defaults(defaults), m_camera(camera), m_autoStop(clock->createTimer(this)) {
    connect(m_autoStop, &ClockTimer::timeout, this, [this] {
        if (m_isActive)
            stop();
    });
    if (const auto stored = defaults.string(placementKey)) {
        if (const auto placement = placementFromRawValue(*stored))
            m_placement = *placement;
    }
}

QString CameraMirrorService::rawValue(Placement placement) {
    switch (placement) {
    case Placement::inline_:
        return QStringLiteral("inline");
    case Placement::popover:
        return QStringLiteral("popover");
    case Placement::detached:
        return QStringLiteral("detached");
    }
    return {};
}

std::optional<CameraMirrorService::Placement>
CameraMirrorService::placementFromRawValue(const QString& text) {
    for (Placement placement : {Placement::inline_, Placement::popover, Placement::detached}) {
        if (rawValue(placement) == text)
            return placement;
    }
    return std::nullopt;
}

void CameraMirrorService::setActive(bool active) {
    m_isActive = active;
    emit isActiveChanged(active);
}

void CameraMirrorService::toggle(PermissionsCoordinator& permissions, std::function<void()> done) {
    auto finish = [done] {
        if (done)
            done();
    };
    if (m_isActive) {
        stop();
        finish();
        return;
    }
    if (permissions.camera() == PermissionsCoordinator::State::granted) {
        start();
        scheduleAutoStop(15.0);
        finish();
        return;
    }
    QPointer<CameraMirrorService> self(this);
    permissions.requestCamera([self, finish](PermissionsCoordinator::State state) {
        if (self && state == PermissionsCoordinator::State::granted) {
            self->start();
            self->scheduleAutoStop(15.0);
        }
        finish();
    });
}

// Once per process: a camera plugged in later is used after a restart.
void CameraMirrorService::configure() {
    if (m_configured)
        return;
    m_configured = true;
    m_hasCamera = m_camera && m_camera->configure();
    if (!m_hasCamera)
        qCCritical(lcServices, "no camera input available");
}

void CameraMirrorService::start() {
    configure();
    if (m_hasCamera && !m_camera->isRunning())
        m_camera->start();
    setActive(true);
}

void CameraMirrorService::stop() {
    m_autoStop->stop();
    if (m_hasCamera && m_camera->isRunning())
        m_camera->stop();
    setActive(false);
}

void CameraMirrorService::scheduleAutoStop(double seconds) {
    m_autoStop->stop();
    m_autoStop->start(std::chrono::milliseconds(std::llround(seconds * 1000.0)));
}

void CameraMirrorService::setPlacement(Placement placement) {
    m_placement = placement;
    emit placementChanged(placement);
    m_defaults.setString(placementKey, rawValue(placement));
}
