#pragma once

#include "platform/Camera.h"

#include <memory>

class CameraModule;

// The default camera through Qt Multimedia (GStreamer underneath). The Qt Multimedia side lives in
// a module library (MultimediaCamera) that configure() loads: before it, no camera object and no
// media library is in the process. The module is looked for at $BRIMLARK_CAMERA_MODULE, beside the
// executable, then where the build put it; without it there is no camera (logged).
class QtCamera final : public Camera {
    Q_OBJECT
public:
    explicit QtCamera(QObject* parent = nullptr);
    ~QtCamera() override;

    bool configure() override;
    void start() override;
    void stop() override;
    bool isRunning() const override;

private:
    bool m_configured = false;
    std::unique_ptr<CameraModule> m_module;
};
