#pragma once

#include "platform/Camera.h"

#include <QSize>

// A camera a test steers: it counts what it was asked and, while running, hands out a moving test
// pattern (one frame at start and one per deliverFrame()). With `hasDevice` false it behaves as a
// machine without a camera: configure() fails and it never runs.
class FakeCamera final : public Camera {
    Q_OBJECT
public:
    explicit FakeCamera(QObject* parent = nullptr);

    bool configure() override;
    void start() override;
    void stop() override;
    bool isRunning() const override { return m_running; }

    // Hands out the next frame of the pattern; does nothing while stopped.
    void deliverFrame();
    // Hands out `image` as the next frame, also while stopped.
    void deliverImage(const QImage& image) { deliver(image); }

    // Frame `index` of the pattern: colour bars from red on the left to blue on the right, a white
    // arrow pointing right with "CAM" under it, and a bright bar that sweeps across from frame to
    // frame. 32-bit RGB, as the camera module hands out a camera's 32-bit frames.
    static QImage testPattern(int index, QSize size = QSize(640, 480));

    bool hasDevice = true;
    int configureCalls = 0;
    int startCalls = 0;
    int stopCalls = 0;
    int framesDelivered = 0;

private:
    bool m_configured = false;
    bool m_running = false;
};
