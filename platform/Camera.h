#pragma once

#include <QImage>
#include <QObject>

// The desktop's default camera, as a live picture for any number of previews: each new frame is
// handed out once, as an image every preview draws from. Nothing of the capture stack exists
// before configure(): a process that never shows the camera never loads it.
class Camera : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~Camera() override = default;

    // Finds the default camera and readies it; meant to be called once. False when there is no
    // camera or it cannot be used (logged by the caller).
    virtual bool configure() = 0;
    // Starts or stops the picture. Both do nothing before a successful configure().
    virtual void start() = 0;
    virtual void stop() = 0;
    // True while the camera delivers (or is starting to deliver) frames.
    virtual bool isRunning() const = 0;

    // The newest frame, as the camera saw it (not mirrored); null before the first one.
    QImage frame() const { return m_frame; }

signals:
    // A new frame arrived, on the main thread.
    void frameChanged(const QImage& frame);

protected:
    void deliver(const QImage& frame) {
        m_frame = frame;
        emit frameChanged(frame);
    }

private:
    QImage m_frame;
};
