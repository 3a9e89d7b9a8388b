#include "platform/linux/x11/X11DesktopWindows.h"

#include "platform/PlatformLog.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QTimer>
#include <QVector>
#include <QWindow>

#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <xcb/shape.h>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>

namespace {

template <typename T> struct FreeDeleter {
    void operator()(T* p) const { std::free(p); }
};
template <typename T> using XcbReply = std::unique_ptr<T, FreeDeleter<T>>;

constexpr quint32 allDesktops = 0xFFFFFFFF;
// The dock among the window types of Qt's xcb platform (QXcbWindow::WindowType).
constexpr int xcbDockType = 0x4;
// _NET_WM_STATE client message actions, and the source a pager gives in _NET_ACTIVE_WINDOW.
constexpr quint32 stateAdd = 1;
constexpr quint32 sourcePager = 2;

// The screen number in DISPLAY (":0.1" is screen 1); 0 when none is given.
int displayScreen() {
    const QByteArray display = qgetenv("DISPLAY");
    const int colon = display.lastIndexOf(':');
    const int dot = display.indexOf('.', colon < 0 ? 0 : colon);
    if (dot < 0)
        return 0;
    bool ok = false;
    const int screen = display.mid(dot + 1).toInt(&ok);
    return ok ? screen : 0;
}

} // namespace

X11DesktopWindows::X11DesktopWindows(QObject* parent) : DesktopWindows(parent) {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return;
    m_connection = x11->connection();
    const int screenNumber = displayScreen();
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < screenNumber && screens.rem > 1; ++i)
        xcb_screen_next(&screens);
    m_root = screens.data->root;

    const xcb_query_extension_reply_t* shape = xcb_get_extension_data(m_connection, &xcb_shape_id);
    m_hasShape = shape && shape->present;
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(m_connection, &xcb_xfixes_id);
    if (xfixes && xfixes->present) {
        XcbReply<xcb_xfixes_query_version_reply_t> version(xcb_xfixes_query_version_reply(
            m_connection, xcb_xfixes_query_version(m_connection, 1, 0), nullptr));
        m_hasXfixes = version != nullptr;
        m_xfixesFirstEvent = xfixes->first_event;
    }
    m_compositorSelection =
        atom(QByteArrayLiteral("_NET_WM_CM_S%1").replace("%1", QByteArray::number(screenNumber)).constData());
    if (m_hasXfixes) {
        xcb_xfixes_select_selection_input(m_connection, m_root, m_compositorSelection,
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                              XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                              XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
        xcb_flush(m_connection);
    } else {
        qCInfo(lcPlatform, "desktop windows: no XFixes; a compositor starting later is not noticed");
    }
    m_restackCheck.setSingleShot(true);
    m_restackCheck.setInterval(restackSettleMs);
    connect(&m_restackCheck, &QTimer::timeout, this, &X11DesktopWindows::restackOwnedWindows);
    // Changes of the stacking order are read off the root window; Qt's own mask on it is kept.
    XcbReply<xcb_get_window_attributes_reply_t> rootAttributes(xcb_get_window_attributes_reply(
        m_connection, xcb_get_window_attributes(m_connection, m_root), nullptr));
    if (rootAttributes && !(rootAttributes->your_event_mask & XCB_EVENT_MASK_PROPERTY_CHANGE)) {
        const quint32 mask = rootAttributes->your_event_mask | XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(m_connection);
    }
    // Selection changes of the compositor, property changes of the accessories, and the stacking.
    QCoreApplication::instance()->installNativeEventFilter(this);
    readCompositor();
    qCInfo(lcPlatform, "desktop windows: compositing manager %s", m_compositor ? "running" : "not running");
}

X11DesktopWindows::~X11DesktopWindows() {
    if (m_connection && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

quint32 X11DesktopWindows::atom(const char* name) const {
    const QByteArray key(name);
    auto found = m_atoms.constFind(key);
    if (found != m_atoms.constEnd())
        return *found;
    XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 0, static_cast<quint16>(key.size()), key.constData()),
        nullptr));
    const quint32 value = reply ? reply->atom : quint32(XCB_ATOM_NONE);
    m_atoms.insert(key, value);
    return value;
}

bool X11DesktopWindows::wmSupports(quint32 wanted) const {
    XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        m_connection,
        xcb_get_property(m_connection, 0, m_root, atom("_NET_SUPPORTED"), XCB_ATOM_ATOM, 0, 4096), nullptr));
    if (!reply || reply->format != 32)
        return false;
    const auto* atoms = static_cast<const quint32*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    for (int i = 0; i < count; ++i) {
        if (atoms[i] == wanted)
            return true;
    }
    return false;
}

void X11DesktopWindows::makeAccessory(QWindow* window) {
    if (!m_connection || !window || m_accessories.contains(window))
        return;
    m_accessories.insert(window);
    // Qt's xcb platform reads this property whenever it writes the window's types (at creation
    // and at each change of flags), and puts a dock first among them: a manager that reads the
    // types while Qt writes them (openbox does on any change of WM_HINTS, which the panel's
    // keyboard flag makes) never sees a window without the dock.
    window->setProperty("_q_xcb_wm_window_type", xcbDockType);
    window->installEventFilter(this);
    connect(window, &QObject::destroyed, this, [this, window] { m_accessories.remove(window); });
    if (window->handle()) {
        const auto id = static_cast<quint32>(window->winId());
        writeAccessoryHints(id);
        if (window->isVisible())
            requestAccessoryState(id);
    }
}

void X11DesktopWindows::letPointerThrough(QWindow* window) {
    if (!m_connection || !m_hasShape || !window)
        return;
    if (!m_pointerThrough.contains(window)) {
        m_pointerThrough.insert(window);
        window->installEventFilter(this);
        connect(window, &QObject::destroyed, this, [this, window] { m_pointerThrough.remove(window); });
    }
    if (window->handle() && window->isVisible())
        clearInputShape(static_cast<quint32>(window->winId()));
}

void X11DesktopWindows::keepAbove(QWindow* window, QWindow* owner) {
    if (!m_connection || !window || !owner || window == owner)
        return;
    if (!m_owners.contains(window)) {
        window->installEventFilter(this);
        connect(window, &QObject::destroyed, this, [this, window] { m_owners.remove(window); });
    }
    m_owners.insert(window, owner);
    if (window->handle() && window->isVisible())
        writeOwner(window);
}

void X11DesktopWindows::writeOwner(QWindow* window) {
    const QPointer<QWindow> owner = m_owners.value(window);
    if (!owner || !owner->handle() || !window->handle())
        return;
    const auto ownerId = static_cast<quint32>(owner->winId());
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, static_cast<quint32>(window->winId()),
                        XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 32, 1, &ownerId);
    xcb_flush(m_connection);
}

void X11DesktopWindows::restackOwnedWindows() {
    if (m_owners.isEmpty())
        return;
    // Bottom to top. A window manager that raises the owner (a click into it, a change of its
    // types) may leave the window kept above it behind: a dock's transients are not always
    // raised with it.
    const QVector<quint32> stacking = atomList(m_root, atom("_NET_CLIENT_LIST_STACKING"), XCB_ATOM_WINDOW);
    bool wrong = false;
    for (auto it = m_owners.constBegin(); it != m_owners.constEnd(); ++it) {
        QWindow* window = it.key();
        QWindow* owner = it.value();
        if (!owner || !window->handle() || !owner->handle() || !window->isVisible() || !owner->isVisible())
            continue;
        const auto windowId = static_cast<quint32>(window->winId());
        const auto ownerId = static_cast<quint32>(owner->winId());
        const int below = stacking.indexOf(windowId);
        if (below < 0 || stacking.indexOf(ownerId) < below)
            continue;
        wrong = true;
        // A manager that keeps the owner on top whatever is asked is not asked for ever.
        if (m_restackAttempts >= maxRestackAttempts)
            continue;
        const quint32 restack = atom("_NET_RESTACK_WINDOW");
        if (wmSupports(restack))
            sendToRoot(windowId, restack, {sourcePager, ownerId, XCB_STACK_MODE_ABOVE, 0});
        else
            window->raise();
        xcb_flush(m_connection);
    }
    m_restackAttempts = wrong ? m_restackAttempts + 1 : 0;
    // Looked at again even when the manager leaves the list as it was.
    if (wrong && m_restackAttempts < maxRestackAttempts)
        m_restackCheck.start();
}

void X11DesktopWindows::clearInputShape(quint32 window) {
    xcb_shape_rectangles(m_connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED,
                         window, 0, 0, 0, nullptr);
    xcb_flush(m_connection);
}

bool X11DesktopWindows::eventFilter(QObject* watched, QEvent* event) {
    // An accessory has no title bar and no other way back: the window manager's close request
    // (it comes from the window system; the program's own closing does not) leaves it open.
    if (event->type() == QEvent::Close && event->spontaneous()) {
        auto* window = qobject_cast<QWindow*>(watched);
        if (window && m_accessories.contains(window)) {
            qCInfo(lcPlatform, "desktop windows: close request for \"%s\" ignored",
                   qPrintable(window->title()));
            event->ignore();
            return true;
        }
    }
    // The show event comes before the window is mapped: the hints are in place when the window
    // manager reads them. A manager that dropped them at the last unmap is asked again after.
    if (event->type() == QEvent::Show) {
        auto* shown = qobject_cast<QWindow*>(watched);
        // Set again once mapped: a window manager that framed the window reads it then.
        if (shown && m_pointerThrough.contains(shown)) {
            QPointer<QWindow> guard(shown);
            QTimer::singleShot(0, this, [this, guard] {
                if (guard && guard->isVisible())
                    clearInputShape(static_cast<quint32>(guard->winId()));
            });
        }
    }
    if (event->type() == QEvent::Show) {
        auto* owned = qobject_cast<QWindow*>(watched);
        if (owned && m_owners.contains(owned)) {
            writeOwner(owned);
            QPointer<QWindow> guard(owned);
            QTimer::singleShot(0, this, [this, guard] {
                if (guard && guard->isVisible())
                    writeOwner(guard);
            });
        }
    }
    if (event->type() == QEvent::Show) {
        auto* window = qobject_cast<QWindow*>(watched);
        if (window && m_accessories.contains(window)) {
            const auto id = static_cast<quint32>(window->winId());
            writeAccessoryHints(id);
            QPointer<QWindow> guard(window);
            QTimer::singleShot(0, this, [this, guard] {
                if (guard && guard->isVisible())
                    requestAccessoryState(static_cast<quint32>(guard->winId()));
            });
        }
    }
    return false;
}

QVector<quint32> X11DesktopWindows::atomList(quint32 window, quint32 property, quint32 type) const {
    QVector<quint32> atoms;
    XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, window, property, type, 0, 4096), nullptr));
    if (reply && reply->format == 32) {
        const auto* values = static_cast<const quint32*>(xcb_get_property_value(reply.get()));
        const int count = xcb_get_property_value_length(reply.get()) / 4;
        for (int i = 0; i < count; ++i)
            atoms.append(values[i]);
    }
    return atoms;
}

void X11DesktopWindows::writeDockType(quint32 window) {
    // A strip of the desktop, not a window of the user's: window managers leave docks out of
    // "show desktop" (which hides a utility window like any other) and out of the window list.
    // The types Qt wrote stay behind it, for a manager that knows no docks.
    const quint32 typeProperty = atom("_NET_WM_WINDOW_TYPE");
    const quint32 dock = atom("_NET_WM_WINDOW_TYPE_DOCK");
    QVector<quint32> types = atomList(window, typeProperty, XCB_ATOM_ATOM);
    if (types.value(0) == dock)
        return;
    types.removeAll(dock);
    types.prepend(dock);
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, typeProperty, XCB_ATOM_ATOM, 32,
                        static_cast<quint32>(types.size()), types.constData());
    xcb_flush(m_connection);
}

void X11DesktopWindows::writeAccessoryHints(quint32 window) {
    writeDockType(window);
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, atom("_NET_WM_DESKTOP"),
                        XCB_ATOM_CARDINAL, 32, 1, &allDesktops);
    const quint32 wanted[] = {atom("_NET_WM_STATE_STICKY"), atom("_NET_WM_STATE_ABOVE"),
                              atom("_NET_WM_STATE_SKIP_TASKBAR"), atom("_NET_WM_STATE_SKIP_PAGER")};
    QVector<quint32> states = atomList(window, atom("_NET_WM_STATE"), XCB_ATOM_ATOM);
    for (quint32 state : wanted) {
        if (!states.contains(state))
            states.append(state);
    }
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, atom("_NET_WM_STATE"), XCB_ATOM_ATOM, 32,
                        static_cast<quint32>(states.size()), states.constData());
    xcb_flush(m_connection);
}

void X11DesktopWindows::sendToRoot(quint32 window, quint32 type, const std::array<quint32, 4>& data) {
    xcb_client_message_event_t message;
    std::memset(&message, 0, sizeof message);
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = type;
    for (std::size_t i = 0; i < data.size(); ++i)
        message.data.data32[i] = data[i];
    xcb_send_event(m_connection, 0, m_root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
}

void X11DesktopWindows::requestAccessoryState(quint32 window) {
    // The last word of each says the request comes from an application.
    sendToRoot(window, atom("_NET_WM_DESKTOP"), {allDesktops, 1, 0, 1});
    const quint32 state = atom("_NET_WM_STATE");
    sendToRoot(window, state, {stateAdd, atom("_NET_WM_STATE_STICKY"), atom("_NET_WM_STATE_ABOVE"), 1});
    sendToRoot(window, state,
               {stateAdd, atom("_NET_WM_STATE_SKIP_TASKBAR"), atom("_NET_WM_STATE_SKIP_PAGER"), 1});
    xcb_flush(m_connection);
}

quint64 X11DesktopWindows::focusedWindow() const {
    if (!m_connection)
        return 0;
    // The server's input focus, not `_NET_ACTIVE_WINDOW`: the window manager writes that property
    // when it moves the focus and may leave it naming a window that has gone since (the panel of
    // an earlier run), whose id the server then hands to a new window.
    XcbReply<xcb_get_input_focus_reply_t> focus(
        xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    // None (0) and PointerRoot (1) name no window.
    if (!focus || focus->focus <= 1 || focus->focus == m_root)
        return 0;
    const quint32 focused = focus->focus;
    // A program may keep the focus on a window inside its own top-level; the window manager's
    // active window names that top-level, the one to give the keyboard back to.
    XcbReply<xcb_get_property_reply_t> active(xcb_get_property_reply(
        m_connection,
        xcb_get_property(m_connection, 0, m_root, atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW, 0, 1),
        nullptr));
    if (!active || active->format != 32 || xcb_get_property_value_length(active.get()) != 4)
        return focused;
    const quint32 topLevel = *static_cast<const quint32*>(xcb_get_property_value(active.get()));
    if (topLevel == XCB_WINDOW_NONE || topLevel == focused)
        return focused;
    quint32 window = focused;
    // Window trees are shallow; the bound only guards against a tree changing under the walk.
    for (int depth = 0; depth < 32; ++depth) {
        XcbReply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, window), nullptr));
        if (!tree || tree->parent == XCB_WINDOW_NONE || tree->parent == m_root)
            break;
        window = tree->parent;
        if (window == topLevel)
            return topLevel;
    }
    return focused;
}

quint64 X11DesktopWindows::idOf(const QWindow* window) const {
    if (!m_connection || !window || !window->handle())
        return 0;
    return window->winId();
}

bool X11DesktopWindows::giveFocus(quint64 window) {
    if (!m_connection || window == 0)
        return false;
    const auto id = static_cast<quint32>(window);
    XcbReply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(m_connection, xcb_get_window_attributes(m_connection, id), nullptr));
    if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE) {
        qCInfo(lcPlatform, "desktop windows: window 0x%x is gone; the keyboard stays where it is", id);
        return false;
    }
    const quint32 activeAtom = atom("_NET_ACTIVE_WINDOW");
    if (wmSupports(activeAtom)) {
        sendToRoot(id, activeAtom, {sourcePager, XCB_CURRENT_TIME, 0, 0});
    } else {
        xcb_set_input_focus(m_connection, XCB_INPUT_FOCUS_PARENT, id, XCB_CURRENT_TIME);
    }
    xcb_flush(m_connection);
    return true;
}

void X11DesktopWindows::setShape(QWindow* window, const QRegion& region, ShapeParts parts) {
    if (!m_connection || !m_hasShape || !window || !window->handle())
        return;
    const auto id = static_cast<quint32>(window->winId());
    QVector<xcb_shape_kind_t> kinds = {XCB_SHAPE_SK_BOUNDING};
    if (parts == ShapeParts::drawingAndInput)
        kinds.append(XCB_SHAPE_SK_INPUT);
    if (region.isEmpty()) {
        for (xcb_shape_kind_t kind : kinds)
            xcb_shape_mask(m_connection, XCB_SHAPE_SO_SET, kind, id, 0, 0, XCB_PIXMAP_NONE);
        xcb_flush(m_connection);
        return;
    }
    const qreal scale = window->devicePixelRatio();
    QVector<xcb_rectangle_t> rectangles;
    for (const QRect& rect : region) {
        const QRect device(
            QPoint(qRound(rect.left() * scale), qRound(rect.top() * scale)),
            QPoint(qRound((rect.right() + 1) * scale) - 1, qRound((rect.bottom() + 1) * scale) - 1));
        rectangles.append({static_cast<qint16>(device.x()), static_cast<qint16>(device.y()),
                           static_cast<quint16>(device.width()), static_cast<quint16>(device.height())});
    }
    for (xcb_shape_kind_t kind : kinds)
        xcb_shape_rectangles(m_connection, XCB_SHAPE_SO_SET, kind, XCB_CLIP_ORDERING_UNSORTED, id, 0, 0,
                             static_cast<quint32>(rectangles.size()), rectangles.constData());
    xcb_flush(m_connection);
}

void X11DesktopWindows::readCompositor() {
    XcbReply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
        m_connection, xcb_get_selection_owner(m_connection, m_compositorSelection), nullptr));
    m_compositor = owner && owner->owner != XCB_WINDOW_NONE;
}

bool X11DesktopWindows::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
        const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event);
        // A manager rewrites the list at each step of a restacking: the order is read once it
        // has settled.
        if (notify->window == m_root && notify->atom == atom("_NET_CLIENT_LIST_STACKING") &&
            !m_owners.isEmpty())
            m_restackCheck.start();
        return false;
    }
    if (!m_hasXfixes || (event->response_type & 0x7f) != m_xfixesFirstEvent + XCB_XFIXES_SELECTION_NOTIFY)
        return false;
    const auto* notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(event);
    if (notify->selection != m_compositorSelection)
        return false;
    const bool was = m_compositor;
    m_compositor = notify->owner != XCB_WINDOW_NONE;
    if (m_compositor != was) {
        qCInfo(lcPlatform, "desktop windows: compositing manager %s", m_compositor ? "started" : "stopped");
        emit compositorRunningChanged(m_compositor);
    }
    // Qt's own clipboard code looks at selection events too; this one is not its business, but it
    // is passed on all the same.
    return false;
}
