#include "tests/support/X11Desktop.h"

#include <QGuiApplication>
#include <QStandardPaths>
#include <QTest>
#include <QWidget>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <sys/prctl.h>
#include <xcb/xtest.h>

namespace {

template <typename Reply> struct Freed {
    Reply* reply;
    explicit Freed(Reply* r) : reply(r) {}
    ~Freed() { std::free(reply); }
    Freed(const Freed&) = delete;
    Freed& operator=(const Freed&) = delete;
    Reply* operator->() const { return reply; }
    explicit operator bool() const { return reply != nullptr; }
};

} // namespace

bool X11Desktop::available() {
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

bool X11Desktop::installed(const QString& program) {
    return !QStandardPaths::findExecutable(program).isEmpty();
}

X11Desktop::X11Desktop() {
    m_x = xcb_connect(nullptr, &m_screen);
    if (xcb_connection_has_error(m_x))
        return;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_x));
    for (int i = 0; i < m_screen && screens.rem > 1; ++i)
        xcb_screen_next(&screens);
    m_root = screens.data->root;
}

X11Desktop::~X11Desktop() {
    stopCompositor();
    if (m_windowManager.state() != QProcess::NotRunning) {
        stop(m_windowManager);
        // The next test finds the screen as a test without a window manager expects it.
        (void)QTest::qWaitFor([this] { return !windowManagerRunning(); }, 5000);
    }
    xcb_disconnect(m_x);
}

bool X11Desktop::connected() const {
    if (xcb_connection_has_error(m_x) || m_root == 0)
        return false;
    const xcb_query_extension_reply_t* xtest = xcb_get_extension_data(m_x, &xcb_test_id);
    return xtest && xtest->present;
}

xcb_atom_t X11Desktop::atom(const char* name) {
    Freed reply(xcb_intern_atom_reply(m_x, xcb_intern_atom(m_x, 0, std::strlen(name), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

QVector<quint32> X11Desktop::property(xcb_window_t window, const char* name) {
    QVector<quint32> values;
    Freed reply(xcb_get_property_reply(
        m_x, xcb_get_property(m_x, 0, window, atom(name), XCB_GET_PROPERTY_TYPE_ANY, 0, 4096), nullptr));
    if (reply && reply->format == 32) {
        const auto* data = static_cast<const quint32*>(xcb_get_property_value(reply.reply));
        for (int i = 0; i < xcb_get_property_value_length(reply.reply) / 4; ++i)
            values.append(data[i]);
    }
    return values;
}

bool X11Desktop::viewable(xcb_window_t window) {
    Freed reply(xcb_get_window_attributes_reply(m_x, xcb_get_window_attributes(m_x, window), nullptr));
    return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
}

QRect X11Desktop::geometry(xcb_window_t window) {
    Freed geometry(xcb_get_geometry_reply(m_x, xcb_get_geometry(m_x, window), nullptr));
    Freed origin(
        xcb_translate_coordinates_reply(m_x, xcb_translate_coordinates(m_x, window, m_root, 0, 0), nullptr));
    if (!geometry || !origin)
        return {};
    return QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
}

bool X11Desktop::placed(QWidget* window) {
    return window && window->isVisible() && geometry(xcb_window_t(window->winId())) == window->geometry();
}

void X11Desktop::sendToRoot(xcb_window_t window, const char* type, const QVector<quint32>& data) {
    xcb_client_message_event_t message;
    std::memset(&message, 0, sizeof message);
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = atom(type);
    for (int i = 0; i < data.size() && i < 5; ++i)
        message.data.data32[i] = data[i];
    xcb_send_event(m_x, 0, m_root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(m_x);
}

void X11Desktop::movePointer(const QPoint& position) {
    xcb_test_fake_input(m_x, XCB_MOTION_NOTIFY, 0 /* absolute */, XCB_CURRENT_TIME, m_root,
                        static_cast<int16_t>(position.x()), static_cast<int16_t>(position.y()), 0);
    xcb_flush(m_x);
}

void X11Desktop::clickButton(quint8 button) {
    xcb_test_fake_input(m_x, XCB_BUTTON_PRESS, button, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_test_fake_input(m_x, XCB_BUTTON_RELEASE, button, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_flush(m_x);
}

void X11Desktop::click(const QPoint& position) {
    movePointer(position);
    QTest::qWait(50);
    clickButton(1);
}

void X11Desktop::typeKey(int keycode, int modifier) {
    const auto fake = [this](uint8_t type, int detail) {
        xcb_test_fake_input(m_x, type, static_cast<uint8_t>(detail), XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    };
    if (modifier)
        fake(XCB_KEY_PRESS, modifier);
    fake(XCB_KEY_PRESS, keycode);
    fake(XCB_KEY_RELEASE, keycode);
    if (modifier)
        fake(XCB_KEY_RELEASE, modifier);
    xcb_flush(m_x);
    QTest::qWait(30);
}

bool X11Desktop::startWindowManager() {
    if (!start(m_windowManager, QStringLiteral("openbox"), {QStringLiteral("--sm-disable")}))
        return false;
    // Its start-up is over once it manages a window: a probe mapped now is marked (WM_STATE) from
    // its event loop, or when it takes over the windows already mapped.
    const xcb_window_t probe = xcb_generate_id(m_x);
    xcb_create_window(m_x, XCB_COPY_FROM_PARENT, probe, m_root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_map_window(m_x, probe);
    xcb_flush(m_x);
    const bool managing = QTest::qWaitFor(
        [this, probe] {
            return m_windowManager.state() != QProcess::Running ||
                   (windowManagerRunning() && !property(probe, "WM_STATE").isEmpty());
        },
        timeoutMs);
    xcb_destroy_window(m_x, probe);
    xcb_flush(m_x);
    if (m_windowManager.state() != QProcess::Running) {
        m_error = QStringLiteral("openbox exited: %1").arg(QString::fromLocal8Bit(m_windowManager.readAll()));
        return false;
    }
    if (!managing) {
        m_error = QStringLiteral("openbox did not manage a window within %1 ms").arg(timeoutMs);
        return false;
    }
    return true;
}

bool X11Desktop::windowManagerRunning() {
    return selectionOwned("WM_S");
}

bool X11Desktop::startCompositor() {
    if (!start(m_compositor, QStringLiteral("xcompmgr"), {}))
        return false;
    if (!QTest::qWaitFor([this] { return compositorRunning() || m_compositor.state() != QProcess::Running; },
                         timeoutMs) ||
        !compositorRunning()) {
        m_error = QStringLiteral("xcompmgr did not composite the screen: %1")
                      .arg(QString::fromLocal8Bit(m_compositor.readAll()));
        return false;
    }
    return true;
}

void X11Desktop::stopCompositor() {
    if (m_compositor.state() == QProcess::NotRunning)
        return;
    stop(m_compositor);
    (void)QTest::qWaitFor([this] { return !compositorRunning(); }, 5000);
}

bool X11Desktop::compositorRunning() {
    return selectionOwned("_NET_WM_CM_S");
}

bool X11Desktop::selectionOwned(const char* prefix) {
    const QByteArray name = QByteArray(prefix) + QByteArray::number(m_screen);
    Freed reply(
        xcb_get_selection_owner_reply(m_x, xcb_get_selection_owner(m_x, atom(name.constData())), nullptr));
    return reply && reply->owner != XCB_NONE;
}

bool X11Desktop::start(QProcess& process, const QString& program, const QStringList& arguments) {
    if (process.state() != QProcess::NotRunning) {
        m_error = QStringLiteral("%1 is already running").arg(program);
        return false;
    }
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty()) {
        m_error = QStringLiteral("%1 is not installed").arg(program);
        return false;
    }
    process.setProcessChannelMode(QProcess::MergedChannels);
    // A test that crashes takes its window manager and compositor along rather than leaving them
    // to the tests after it on the same server.
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    process.start(path, arguments);
    if (!process.waitForStarted(timeoutMs)) {
        m_error = QStringLiteral("%1 did not start: %2").arg(program, process.errorString());
        return false;
    }
    return true;
}

void X11Desktop::stop(QProcess& process) {
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}
