#pragma once

#include <QObject>

class QVideoSink;

// The desktop's default camera, as a live picture for any number of previews. Nothing of the
// capture stack exists before configure(): a process that never shows the camera never loads it.
class Camera : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~Camera() override = default;

    // Finds the default camera and connects it to videoSink(); meant to be called once. False when
    // there is no camera or it cannot be used (logged by the caller); the sink exists either way.
    virtual bool configure() = 0;
    // Starts or stops the picture. Both do nothing before a successful configure().
    virtual void start() = 0;
    virtual void stop() = 0;
    // True while the camera delivers (or is starting to deliver) frames.
    virtual bool isRunning() const = 0;
    // The one sink every preview draws its frames from; null before configure().
    virtual QVideoSink* videoSink() const = 0;
};
