#include "platform/linux/x11/X11HotKeys.h"

#include "platform/KeyCodes.h"
#include "platform/PlatformLog.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cstdlib>
#include <xcb/xcb.h>
// The XKB header names a member `explicit`, a C++ keyword.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

namespace {

template <typename T> struct FreeDeleter {
    void operator()(T* p) const { std::free(p); }
};
template <typename T> using XcbReply = std::unique_ptr<T, FreeDeleter<T>>;

constexpr quint8 badAccess = 10;
constexpr quint16 lockMask = XCB_MOD_MASK_LOCK;
// The modifier bits of a key event's state (the rest are buttons and the XKB group).
constexpr quint16 modifierBits = 0xff;

// Keysyms of the modifier keys looked for in the server's mapping.
constexpr quint32 superL = 0xffeb, superR = 0xffec, altL = 0xffe9, altR = 0xffea, numLock = 0xff7f;

} // namespace

std::unique_ptr<X11HotKeys> X11HotKeys::create(const QByteArray& display) {
    int screenNumber = 0;
    xcb_connection_t* connection =
        xcb_connect(display.isEmpty() ? nullptr : display.constData(), &screenNumber);
    if (xcb_connection_has_error(connection)) {
        qCDebug(lcPlatform, "hot keys: no X display to grab keys on");
        xcb_disconnect(connection);
        return nullptr;
    }
    QList<quint32> roots;
    for (xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection)); screens.rem > 0;
         xcb_screen_next(&screens))
        roots.append(screens.data->root);
    return std::unique_ptr<X11HotKeys>(new X11HotKeys(connection, roots));
}

X11HotKeys::X11HotKeys(xcb_connection_t* connection, QList<quint32> roots)
    : HotKeys(nullptr), m_connection(connection), m_roots(std::move(roots)) {
    XcbReply<xcb_xkb_use_extension_reply_t> xkb(
        xcb_xkb_use_extension_reply(m_connection, xcb_xkb_use_extension(m_connection, 1, 0), nullptr));
    if (xkb && xkb->supported) {
        XcbReply<xcb_xkb_per_client_flags_reply_t> flags(xcb_xkb_per_client_flags_reply(
            m_connection,
            xcb_xkb_per_client_flags(m_connection, XCB_XKB_ID_USE_CORE_KBD,
                                     XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT,
                                     XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT, 0, 0, 0),
            nullptr));
        m_detectableAutoRepeat = flags && (flags->value & XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT);
        // A client that speaks XKB hears of mapping changes only through the XKB events it selects.
        if (const xcb_query_extension_reply_t* extension = xcb_get_extension_data(m_connection, &xcb_xkb_id))
            m_xkbFirstEvent = extension->first_event;
        const quint16 events = XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY;
        const quint16 parts =
            XCB_XKB_MAP_PART_KEY_TYPES | XCB_XKB_MAP_PART_KEY_SYMS | XCB_XKB_MAP_PART_MODIFIER_MAP;
        const xcb_xkb_select_events_details_t details{};
        xcb_xkb_select_events_aux(m_connection, XCB_XKB_ID_USE_CORE_KBD, events, 0, events, parts, parts,
                                  &details);
        xcb_flush(m_connection);
    }
    if (!m_detectableAutoRepeat)
        qCInfo(lcPlatform, "hot keys: the X server cannot report held keys; holding one may fire it again");
    loadModifierMapping();
    m_notifier = new QSocketNotifier(xcb_get_file_descriptor(m_connection), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &X11HotKeys::readEvents);
}

X11HotKeys::~X11HotKeys() {
    delete m_notifier; // before the descriptor it watches is closed
    m_notifier = nullptr;
    if (m_connection)
        xcb_disconnect(m_connection); // the server drops the grabs with the connection
}

void X11HotKeys::loadModifierMapping() {
    XcbReply<xcb_get_modifier_mapping_reply_t> modifiers(
        xcb_get_modifier_mapping_reply(m_connection, xcb_get_modifier_mapping(m_connection), nullptr));
    if (!modifiers)
        return;
    const xcb_setup_t* setup = xcb_get_setup(m_connection);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    XcbReply<xcb_get_keyboard_mapping_reply_t> keyboard(xcb_get_keyboard_mapping_reply(
        m_connection, xcb_get_keyboard_mapping(m_connection, setup->min_keycode, quint8(count)), nullptr));
    if (!keyboard)
        return;
    const xcb_keycode_t* keycodes = xcb_get_modifier_mapping_keycodes(modifiers.get());
    const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(keyboard.get());
    const int perKeycode = keyboard->keysyms_per_keycode;
    const int perModifier = modifiers->keycodes_per_modifier;
    std::optional<quint16> super, alt, num;
    // Shift, Lock and Control (indices 0-2) are fixed; Mod1 to Mod5 are the server's choice.
    for (int index = 3; index < 8; ++index) {
        for (int k = 0; k < perModifier; ++k) {
            const xcb_keycode_t keycode = keycodes[index * perModifier + k];
            if (keycode < setup->min_keycode || keycode > setup->max_keycode)
                continue;
            for (int s = 0; s < perKeycode; ++s) {
                const quint32 keysym = keysyms[(keycode - setup->min_keycode) * perKeycode + s];
                const quint16 mask = quint16(1u << index);
                if ((keysym == superL || keysym == superR) && !super)
                    super = mask;
                else if ((keysym == altL || keysym == altR) && !alt)
                    alt = mask;
                else if (keysym == numLock && !num)
                    num = mask;
            }
        }
    }
    m_superMask = super.value_or(quint16(XCB_MOD_MASK_4));
    m_altMask = alt.value_or(quint16(XCB_MOD_MASK_1));
    m_numLockMask = num.value_or(quint16(XCB_MOD_MASK_2));
}

void X11HotKeys::mappingChanged() {
    if (m_regrabPending)
        return;
    m_regrabPending = true;
    QTimer::singleShot(0, this, [this] {
        m_regrabPending = false;
        if (!m_connection)
            return;
        loadModifierMapping();
        regrabAll();
    });
}

void X11HotKeys::regrabAll() {
    for (auto it = m_grabs.begin(); it != m_grabs.end();) {
        const Grab old = *it;
        const std::optional<Grab> now = toGrab(old.carbonKeyCode, old.carbonModifiers);
        if (now && now->keycode == old.keycode && now->mask == old.mask) {
            ++it;
            continue;
        }
        ungrabAll(old);
        m_held.remove(it.key());
        const int status = now ? grabAll(*now) : unavailable;
        if (status == noError) {
            *it = *now;
            ++it;
            continue;
        }
        qCWarning(
            lcPlatform,
            "hot keys: after the keyboard mapping changed, hot key %u could not be grabbed again (%d); it "
            "no longer fires",
            it.key(), status);
        it = m_grabs.erase(it);
    }
}

std::optional<X11HotKeys::Grab> X11HotKeys::toGrab(int carbonKeyCode, qint64 carbonModifiers) const {
    if (carbonModifiers & KeyCodes::carbonFunction)
        return std::nullopt;
    const std::optional<quint32> keycode = KeyCodes::xKeycode(carbonKeyCode);
    if (!keycode || *keycode > 255)
        return std::nullopt;
    quint16 mask = 0;
    if (carbonModifiers & KeyCodes::carbonShift)
        mask |= XCB_MOD_MASK_SHIFT;
    if (carbonModifiers & KeyCodes::carbonControl)
        mask |= XCB_MOD_MASK_CONTROL;
    if (carbonModifiers & KeyCodes::carbonOption)
        mask |= m_altMask;
    if (carbonModifiers & KeyCodes::carbonCommand)
        mask |= m_superMask;
    return Grab{quint8(*keycode), mask, carbonKeyCode, carbonModifiers};
}

QList<quint16> X11HotKeys::lockVariants() const {
    return {0, lockMask, m_numLockMask, quint16(lockMask | m_numLockMask)};
}

int X11HotKeys::grabAll(const Grab& grab) {
    QList<xcb_void_cookie_t> cookies;
    for (const quint32 root : m_roots) {
        for (const quint16 variant : lockVariants())
            cookies.append(xcb_grab_key_checked(m_connection, 1, root, grab.mask | variant, grab.keycode,
                                                XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    }
    int status = noError;
    for (const xcb_void_cookie_t cookie : cookies) {
        if (xcb_generic_error_t* error = xcb_request_check(m_connection, cookie)) {
            if (status == noError)
                status = error->error_code == badAccess ? heldByAnotherProgram : unavailable;
            std::free(error);
        }
    }
    if (status == noError && xcb_connection_has_error(m_connection))
        status = unavailable;
    if (status != noError && !xcb_connection_has_error(m_connection))
        ungrabAll(grab); // only this connection's own grabs go
    return status;
}

void X11HotKeys::ungrabAll(const Grab& grab) {
    for (const quint32 root : m_roots) {
        for (const quint16 variant : lockVariants())
            xcb_ungrab_key(m_connection, grab.keycode, root, grab.mask | variant);
    }
    xcb_flush(m_connection);
}

int X11HotKeys::registerHotKey(quint32 id, int carbonKeyCode, qint64 carbonModifiers) {
    if (!m_connection)
        return unavailable;
    const std::optional<Grab> grab = toGrab(carbonKeyCode, carbonModifiers);
    if (!grab)
        return unavailable;
    const int status = grabAll(*grab);
    if (status == noError)
        m_grabs.insert(id, *grab);
    else
        qCDebug(lcPlatform, "hot keys: X refused to grab keycode %d with mask 0x%x (%d)", grab->keycode,
                grab->mask, status);
    return status;
}

void X11HotKeys::unregisterHotKey(quint32 id) {
    const auto grab = m_grabs.constFind(id);
    if (grab == m_grabs.cend())
        return;
    const Grab released = *grab;
    m_grabs.erase(grab);
    m_held.remove(id);
    if (m_connection)
        ungrabAll(released);
}

int X11HotKeys::probe(int carbonKeyCode, qint64 carbonModifiers) {
    if (!m_connection)
        return unavailable;
    const std::optional<Grab> grab = toGrab(carbonKeyCode, carbonModifiers);
    if (!grab)
        return unavailable;
    // Grabbing again what this connection holds would succeed and letting it go would lose it.
    for (const Grab& held : std::as_const(m_grabs)) {
        if (held.keycode == grab->keycode && held.mask == grab->mask)
            return noError;
    }
    const int status = grabAll(*grab);
    if (status == noError)
        ungrabAll(*grab);
    return status;
}

void X11HotKeys::readEvents() {
    if (!m_connection)
        return;
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
        handle(event);
        std::free(event);
        if (!m_connection)
            return;
    }
    if (xcb_connection_has_error(m_connection))
        disconnectAfterError();
}

void X11HotKeys::handle(const void* raw) {
    const auto* event = static_cast<const xcb_generic_event_t*>(raw);
    const quint8 type = event->response_type & 0x7f;
    if (type == XCB_MAPPING_NOTIFY) {
        const auto* mapping = static_cast<const xcb_mapping_notify_event_t*>(raw);
        if (mapping->request == XCB_MAPPING_MODIFIER || mapping->request == XCB_MAPPING_KEYBOARD)
            mappingChanged();
        return;
    }
    if (m_xkbFirstEvent != 0 && type == m_xkbFirstEvent) {
        // Every XKB event carries its kind in the second byte.
        const quint8 kind = static_cast<const quint8*>(raw)[1];
        if (kind == XCB_XKB_NEW_KEYBOARD_NOTIFY || kind == XCB_XKB_MAP_NOTIFY)
            mappingChanged();
        return;
    }
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
        return;
    const auto* key = static_cast<const xcb_key_press_event_t*>(raw);
    if (type == XCB_KEY_RELEASE) {
        // The modifiers may have come up first: a held combination ends with its key.
        for (auto it = m_held.begin(); it != m_held.end(); ++it) {
            const quint32 id = *it;
            if (m_grabs.value(id).keycode != key->detail)
                continue;
            m_held.erase(it);
            emit released(id);
            return;
        }
        return;
    }
    const quint16 mask = key->state & modifierBits & ~quint16(lockMask | m_numLockMask);
    for (auto it = m_grabs.cbegin(); it != m_grabs.cend(); ++it) {
        if (it->keycode != key->detail || it->mask != mask)
            continue;
        if (m_held.contains(it.key()))
            return; // the key repeats while held
        m_held.insert(it.key());
        emit pressed(it.key());
        return;
    }
}

void X11HotKeys::disconnectAfterError() {
    qCWarning(lcPlatform, "hot keys: the X connection broke (error %d); global shortcuts no longer fire",
              xcb_connection_has_error(m_connection));
    delete m_notifier;
    m_notifier = nullptr;
    xcb_disconnect(m_connection);
    m_connection = nullptr;
    m_grabs.clear();
    m_held.clear();
}
