#pragma once

#include <QImage>

#include <functional>

// What the camera module (a library loaded at the first start of the camera, so that Qt Multimedia
// and the audio and codec libraries it pulls in never load in a process that does not use the
// camera) offers to QtCamera. Plain C++ across the boundary: no signals, no Qt meta-objects.
class CameraModule {
public:
    virtual ~CameraModule() = default;
    // Finds the default camera; false when there is none or it cannot be used. `frame` is called
    // on the main thread with each new picture.
    virtual bool configure(std::function<void(const QImage&)> frame) = 0;
    virtual void start() = 0;
    virtual void stop() = 0;
    virtual bool isRunning() const = 0;
};

// The module's one exported function, `extern "C"` under this name: a new camera, owned by the
// caller.
using CreateCameraModule = CameraModule* (*)();
#define BRIMLARK_CAMERA_MODULE_ENTRY "brimlark_create_camera_module"
