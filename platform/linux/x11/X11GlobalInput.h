#pragma once

#include "platform/GlobalInput.h"
#include "platform/linux/desktop/DeactivationWatcher.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QTimer>
#include <QVector>

#include <memory>

class QSocketNotifier;
struct xcb_connection_t;

// Global input on X11 through XInput 2 raw events, selected on the root window of a dedicated
// xcb connection (Qt's own connection and its event masks stay untouched) and read through a
// QSocketNotifier on the main thread. Raw events carry no location, so positions come from
// QCursor::pos(), in logical pixels.
// - Raw motion is reported as pointerMoved at most every `motionIntervalMs`, wherever the
//   pointer is, and only when the position changed.
// - Raw presses of buttons 1-3 (after the server's pointer button mapping) are reported as
//   mouseDownOutside, wheel buttons 4-7 as one-line scroll samples with the signs of Qt's
//   QWheelEvent::angleDelta (4 up: y +1, 5 down: y -1, 6 left: x +1, 7 right: x -1); both only
//   when the pointer is not over one of the program's own visible windows (isOverOwnWindow) and
//   the press is not one Qt already delivered to one of them: a press read after its release
//   (the two connections are read in turn) may find its window gone, as a menu item's is once
//   the menu closed and ran its action.
// - Under XWayland the server sees input only over X11 windows; `setReportsDeactivation(true)`
//   then also reports the application losing the focus as mouseDownOutside(Qt::NoButton, ...),
//   unless a press outside was reported just before.
class X11GlobalInput final : public GlobalInput {
    Q_OBJECT
public:
    // Connects to `display` (empty: $DISPLAY). Null, with a debug line, when the display
    // cannot be reached or has no XInput 2.0 or later.
    static std::unique_ptr<X11GlobalInput> create(const QByteArray& display = {});
    ~X11GlobalInput() override;

    // Selects the raw events; false (logged) when the server refuses or the connection broke.
    bool start() override;
    // Deselects the raw events; nothing is reported afterwards.
    void stop() override;
    QPoint pointerPosition() const override;

    bool isStarted() const { return m_started; }
    void setReportsDeactivation(bool reports);
    // The XInput version the server agreed to, e.g. 2.2 as (2, 2).
    int xiMajorVersion() const { return m_xiMajor; }
    int xiMinorVersion() const { return m_xiMinor; }

    static constexpr int motionIntervalMs = 16;

private:
    X11GlobalInput(xcb_connection_t* connection, quint32 root, quint8 xiOpcode, int major, int minor);

    bool selectRawEvents(bool on);
    void readEvents();
    void handle(const void* event); // one xcb_generic_event_t
    void handleButton(quint32 rawButton, quint32 time);
    // Notes the server time of each press Qt delivers to one of the program's windows.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void loadButtonMapping();
    void reportMotion();
    void disconnectAfterError();

    xcb_connection_t* m_connection = nullptr;
    quint32 m_root = 0;
    quint8 m_xiOpcode = 0;
    int m_xiMajor = 0;
    int m_xiMinor = 0;
    QSocketNotifier* m_notifier = nullptr;
    bool m_started = false;
    QVector<quint8> m_buttonMap; // logical button for physical button i + 1
    QTimer m_motion;
    QPoint m_lastMotion;
    bool m_hasLastMotion = false;
    DeactivationWatcher m_deactivation;
    bool m_reportsDeactivation = false;
    QElapsedTimer m_sinceLastPress;
    // The server time of the last press on one of the program's own windows; 0 before any.
    quint64 m_lastOwnPressTime = 0;
};
