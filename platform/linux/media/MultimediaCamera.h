#pragma once

#include "platform/linux/media/CameraModule.h"

#include <QObject>

class QCamera;
class QMediaCaptureSession;
class QVideoFrame;
class QVideoSink;

// The camera module's body: one QCamera in one capture session feeding one QVideoSink, whose
// frames are handed on as images (without a copy when Qt can read the frame's layout directly).
// The format nearest 640 × 480 is asked for, enough for a small preview at a modest cost.
class MultimediaCamera final : public QObject, public CameraModule {
    Q_OBJECT
public:
    MultimediaCamera();
    ~MultimediaCamera() override;

    bool configure(std::function<void(const QImage&)> frame) override;
    void start() override;
    void stop() override;
    bool isRunning() const override;

    // The frame as an image the right way round, sharing the frame's memory where it can.
    static QImage imageOf(const QVideoFrame& frame);

private:
    QVideoSink* m_sink = nullptr;
    QCamera* m_camera = nullptr;
    QMediaCaptureSession* m_session = nullptr;
};
