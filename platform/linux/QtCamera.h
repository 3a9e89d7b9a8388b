#pragma once

#include "platform/Camera.h"

class QCamera;
class QMediaCaptureSession;

// The default camera through Qt Multimedia (GStreamer underneath): one QCamera in one capture
// session feeding one QVideoSink. Every Qt Multimedia object, and so the media backend itself, is
// made in configure(), never before. The format closest to 640 × 480 is asked for, enough for a
// small preview at a modest cost.
class QtCamera final : public Camera {
    Q_OBJECT
public:
    explicit QtCamera(QObject* parent = nullptr);
    ~QtCamera() override;

    bool configure() override;
    void start() override;
    void stop() override;
    bool isRunning() const override;
    QVideoSink* videoSink() const override { return m_sink; }

private:
    QVideoSink* m_sink = nullptr;
    QCamera* m_camera = nullptr;
    QMediaCaptureSession* m_session = nullptr;
};
