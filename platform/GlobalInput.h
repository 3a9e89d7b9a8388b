#pragma once

#include <QObject>
#include <QPoint>
#include <QPointF>

// One scroll-wheel or touchpad scroll event as the gesture recogniser needs it.
struct ScrollSample {
    enum class Phase { none, began, changed, ended, cancelled };

    QPoint position;               // pointer location, global logical pixels
    QPointF delta;                 // signs of QWheelEvent::angleDelta (up, left positive); lines or pixels
    bool hasPreciseDeltas = false; // pixel deltas from a touchpad rather than wheel lines
    bool invertedFromDevice = false;
    Phase phase = Phase::none;
    bool momentum = false; // inertial scrolling after the fingers lifted
};

// Pointer and button events of the whole desktop, also those addressed to other applications.
// Every signal is delivered on the main thread.
class GlobalInput : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~GlobalInput() override = default;

    // Starts watching; false (and logged) when the desktop offers no way to watch.
    virtual bool start() = 0;
    // Stops watching; no signal follows.
    virtual void stop() = 0;
    // The pointer's current location in global logical pixels.
    virtual QPoint pointerPosition() const = 0;

signals:
    // The pointer moved (anywhere on the desktop).
    void pointerMoved(const QPoint& position);
    // A mouse button went down outside the program's own windows, or the program lost the
    // focus to another application (then `button` is Qt::NoButton and `position` the pointer's).
    void mouseDownOutside(Qt::MouseButton button, const QPoint& position);
    // A scroll addressed to another application.
    void scrolled(const ScrollSample& sample);
};
