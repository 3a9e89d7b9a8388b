#include "platform/linux/x11/X11GlobalInput.h"

#include "platform/PlatformLog.h"
#include "platform/linux/desktop/OwnWindows.h"

#include <QCoreApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QSocketNotifier>

#include <cstdlib>
#include <xcb/xcb.h>
#include <xcb/xinput.h>

namespace {

// A press reported within this time makes the deactivation that follows it the same event (Qt on
// xcb reports a focus loss only 400 ms after it, and the watcher confirms it 100 ms later).
constexpr qint64 pressSwallowsDeactivationMs = 1500;

template <typename T> struct FreeDeleter {
    void operator()(T* p) const { std::free(p); }
};
template <typename T> using XcbReply = std::unique_ptr<T, FreeDeleter<T>>;

} // namespace

std::unique_ptr<X11GlobalInput> X11GlobalInput::create(const QByteArray& display) {
    int screenNumber = 0;
    xcb_connection_t* connection =
        xcb_connect(display.isEmpty() ? nullptr : display.constData(), &screenNumber);
    if (xcb_connection_has_error(connection)) {
        qCDebug(lcPlatform, "global input: no X display to watch");
        xcb_disconnect(connection);
        return nullptr;
    }
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_input_id);
    if (!extension || !extension->present) {
        qCDebug(lcPlatform, "global input: the X server has no XInput extension");
        xcb_disconnect(connection);
        return nullptr;
    }
    XcbReply<xcb_input_xi_query_version_reply_t> version(
        xcb_input_xi_query_version_reply(connection, xcb_input_xi_query_version(connection, 2, 2), nullptr));
    if (!version || version->major_version < 2) {
        qCDebug(lcPlatform, "global input: the X server has no XInput 2");
        xcb_disconnect(connection);
        return nullptr;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
        xcb_screen_next(&screens);
    if (screens.rem == 0) {
        qCDebug(lcPlatform, "global input: the X display has no screen %d", screenNumber);
        xcb_disconnect(connection);
        return nullptr;
    }
    return std::unique_ptr<X11GlobalInput>(new X11GlobalInput(connection, screens.data->root,
                                                              extension->major_opcode, version->major_version,
                                                              version->minor_version));
}

X11GlobalInput::X11GlobalInput(xcb_connection_t* connection, quint32 root, quint8 xiOpcode, int major,
                               int minor)
    : GlobalInput(nullptr), m_connection(connection), m_root(root), m_xiOpcode(xiOpcode), m_xiMajor(major),
      m_xiMinor(minor), m_deactivation(this) {
    m_motion.setSingleShot(true);
    m_motion.setInterval(motionIntervalMs);
    connect(&m_motion, &QTimer::timeout, this, &X11GlobalInput::reportMotion);
    connect(&m_deactivation, &DeactivationWatcher::deactivated, this, [this] {
        if (m_sinceLastPress.isValid() && m_sinceLastPress.elapsed() < pressSwallowsDeactivationMs)
            return;
        emit mouseDownOutside(Qt::NoButton, pointerPosition());
    });
    m_notifier = new QSocketNotifier(xcb_get_file_descriptor(m_connection), QSocketNotifier::Read, this);
    m_notifier->setEnabled(false);
    connect(m_notifier, &QSocketNotifier::activated, this, &X11GlobalInput::readEvents);
    loadButtonMapping();
}

X11GlobalInput::~X11GlobalInput() {
    delete m_notifier; // before the descriptor it watches is closed
    m_notifier = nullptr;
    if (m_connection)
        xcb_disconnect(m_connection);
}

bool X11GlobalInput::start() {
    if (m_started)
        return true;
    if (!m_connection) {
        qCWarning(lcPlatform, "global input: the X connection is gone; nothing is watched");
        return false;
    }
    if (!selectRawEvents(true)) {
        qCWarning(lcPlatform, "global input: the X server refused XInput raw events");
        return false;
    }
    m_started = true;
    m_hasLastMotion = false;
    if (QCoreApplication::instance())
        QCoreApplication::instance()->installEventFilter(this);
    m_notifier->setEnabled(true);
    m_deactivation.setEnabled(m_reportsDeactivation);
    readEvents(); // events the start's round trip already queued
    return true;
}

void X11GlobalInput::stop() {
    if (!m_started)
        return;
    m_started = false;
    m_motion.stop();
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
    if (m_connection) {
        selectRawEvents(false);
        readEvents(); // drops what is still queued
    }
    if (m_notifier)
        m_notifier->setEnabled(false);
    m_deactivation.setEnabled(false);
}

void X11GlobalInput::setReportsDeactivation(bool reports) {
    m_reportsDeactivation = reports;
    m_deactivation.setEnabled(reports && m_started);
}

QPoint X11GlobalInput::pointerPosition() const {
    return QCursor::pos();
}

bool X11GlobalInput::selectRawEvents(bool on) {
    struct {
        xcb_input_event_mask_t head;
        uint32_t mask;
    } mask{};
    mask.head.deviceid = XCB_INPUT_DEVICE_ALL_MASTER;
    mask.head.mask_len = 1;
    mask.mask = on ? (XCB_INPUT_XI_EVENT_MASK_RAW_MOTION | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS) : 0;
    xcb_generic_error_t* error = xcb_request_check(
        m_connection, xcb_input_xi_select_events_checked(m_connection, m_root, 1, &mask.head));
    if (error) {
        qCDebug(lcPlatform, "global input: XISelectEvents failed with X error %d", error->error_code);
        std::free(error);
        return false;
    }
    return !xcb_connection_has_error(m_connection);
}

void X11GlobalInput::readEvents() {
    if (!m_connection)
        return;
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
        if (m_started)
            handle(event);
        std::free(event);
        if (!m_connection)
            return;
    }
    if (xcb_connection_has_error(m_connection))
        disconnectAfterError();
}

void X11GlobalInput::handle(const void* raw) {
    const auto* event = static_cast<const xcb_generic_event_t*>(raw);
    const quint8 type = event->response_type & 0x7f;
    if (type == XCB_MAPPING_NOTIFY) {
        const auto* mapping = static_cast<const xcb_mapping_notify_event_t*>(raw);
        if (mapping->request == XCB_MAPPING_POINTER)
            loadButtonMapping();
        return;
    }
    if (type != XCB_GE_GENERIC)
        return;
    const auto* generic = static_cast<const xcb_ge_generic_event_t*>(raw);
    if (generic->extension != m_xiOpcode)
        return;
    if (generic->event_type == XCB_INPUT_RAW_MOTION) {
        if (!m_motion.isActive())
            m_motion.start();
    } else if (generic->event_type == XCB_INPUT_RAW_BUTTON_PRESS) {
        const auto* press = static_cast<const xcb_input_raw_button_press_event_t*>(raw);
        handleButton(press->detail, press->time);
    }
}

bool X11GlobalInput::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress && watched->isWindowType())
        m_lastOwnPressTime = static_cast<QMouseEvent*>(event)->timestamp();
    return false;
}

void X11GlobalInput::handleButton(quint32 rawButton, quint32 time) {
    quint32 button = rawButton;
    if (rawButton >= 1 && rawButton <= quint32(m_buttonMap.size()))
        button = m_buttonMap.at(int(rawButton) - 1);
    if (button < 1 || button > 7)
        return; // disabled by the mapping, or an extra button (back, forward) nobody here needs

    const QPoint position = pointerPosition();
    if (isOverOwnWindow(position) || (time != 0 && time == m_lastOwnPressTime))
        return; // the press goes to one of our windows, which sees it itself

    if (button <= 3) {
        static constexpr Qt::MouseButton buttons[] = {Qt::LeftButton, Qt::MiddleButton, Qt::RightButton};
        m_sinceLastPress.start();
        emit mouseDownOutside(buttons[button - 1], position);
        return;
    }
    // The signs of QWheelEvent::angleDelta, which the panel's own wheel events carry: the same
    // wheel click gives the same sample inside and outside our windows.
    ScrollSample sample;
    sample.position = position;
    switch (button) {
    case 4:
        sample.delta = QPointF(0, 1);
        break;
    case 5:
        sample.delta = QPointF(0, -1);
        break;
    case 6:
        sample.delta = QPointF(1, 0);
        break;
    default:
        sample.delta = QPointF(-1, 0);
        break;
    }
    emit scrolled(sample);
}

void X11GlobalInput::loadButtonMapping() {
    m_buttonMap.clear();
    XcbReply<xcb_get_pointer_mapping_reply_t> reply(
        xcb_get_pointer_mapping_reply(m_connection, xcb_get_pointer_mapping(m_connection), nullptr));
    if (!reply)
        return; // keep the identity mapping
    const uint8_t* map = xcb_get_pointer_mapping_map(reply.get());
    const int length = xcb_get_pointer_mapping_map_length(reply.get());
    m_buttonMap.reserve(length);
    for (int i = 0; i < length; ++i)
        m_buttonMap.append(map[i]);
}

void X11GlobalInput::reportMotion() {
    if (!m_started)
        return;
    const QPoint position = pointerPosition();
    if (m_hasLastMotion && position == m_lastMotion)
        return;
    m_hasLastMotion = true;
    m_lastMotion = position;
    emit pointerMoved(position);
}

void X11GlobalInput::disconnectAfterError() {
    qCWarning(lcPlatform,
              "global input: the X connection broke (error %d); pointer and clicks are no longer watched",
              xcb_connection_has_error(m_connection));
    m_started = false;
    m_motion.stop();
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
    m_deactivation.setEnabled(false);
    delete m_notifier;
    m_notifier = nullptr;
    xcb_disconnect(m_connection);
    m_connection = nullptr;
}
