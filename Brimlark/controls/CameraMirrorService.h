#pragma once

#include "platform/Clock.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class Camera;
class PermissionsCoordinator;
class UserDefaults;

// The camera mirror: on and off, where it shows, and its automatic stop 15 s after each start. The
// camera is configured at the first start, never before, and runs exactly while the mirror is on.
class CameraMirrorService : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isActive READ isActive NOTIFY isActiveChanged)
    Q_PROPERTY(Placement placement READ placement WRITE setPlacement NOTIFY placementChanged)
public:
    enum class Placement { inline_, popover, detached };
    Q_ENUM(Placement)

    static const QString placementKey;

    // Reads the stored placement from `defaults` (popover when missing or unknown). A null `camera`
    // is a machine without one: the mirror still goes on, with an empty frame.
    CameraMirrorService(UserDefaults& defaults, Camera* camera, Clock* clock = Clock::system(),
                        QObject* parent = nullptr);

    // The process-wide service, created on first use.
    static CameraMirrorService& shared();

    // The stored text of a placement ("inline", "popover", "detached") and back.
    static QString rawValue(Placement placement);
    static std::optional<Placement> placementFromRawValue(const QString& text);

    Placement placement() const { return m_placement; }
    bool isActive() const { return m_isActive; }
    // True once the camera was looked for and none could be used.
    bool hasNoCamera() const { return m_configured && !m_hasCamera; }
    // The camera the previews show; null until the first start, and for good when that start
    // found no usable camera.
    Camera* camera() const { return m_hasCamera ? m_camera : nullptr; }

    // Stops a running mirror; otherwise starts it once camera access is granted (asking when not
    // yet decided). `done` (optional) runs when the toggle has finished.
    void toggle(PermissionsCoordinator& permissions, std::function<void()> done = {});
    // Cancels the automatic stop and switches the mirror off.
    void stop();
    // Sets and stores the placement.
    void setPlacement(Placement placement);

signals:
    void isActiveChanged(bool active);
    void placementChanged(Placement placement);

private:
    void start();
    void configure();
    void scheduleAutoStop(double seconds);
    void setActive(bool active);

    UserDefaults& m_defaults;
    Camera* m_camera;
    ClockTimer* m_autoStop;
    Placement m_placement = Placement::popover;
    bool m_isActive = false;
    bool m_configured = false;
    bool m_hasCamera = false;
};
