#include "platform/linux/x11/XkbKeyboardLayout.h"

#include "platform/KeyCodes.h"
#include "platform/PlatformLog.h"

#include <xcb/xcb.h>
#include <xkbcommon/xkbcommon-keysyms.h>
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

namespace {

constexpr xkb_keysym_t firstDeadKey = XKB_KEY_dead_grave;
constexpr xkb_keysym_t lastDeadKey = 0xfe93; // the last of xkbcommon's dead_ keysyms

bool givesLatinLetter(xkb_keymap* keymap, xkb_keycode_t key, xkb_layout_index_t group) {
    const xkb_keysym_t* syms = nullptr;
    const int count = xkb_keymap_key_get_syms_by_level(keymap, key, group, 0, &syms);
    for (int i = 0; i < count; ++i) {
        if ((syms[i] >= XKB_KEY_a && syms[i] <= XKB_KEY_z) || (syms[i] >= XKB_KEY_A && syms[i] <= XKB_KEY_Z))
            return true;
    }
    return false;
}

} // namespace

XkbKeyboardLayout::XkbKeyboardLayout(QObject* parent) : KeyboardLayout(parent), m_askServer(true) {}

XkbKeyboardLayout::XkbKeyboardLayout(const QString& layout, const QString& variant, QObject* parent)
    : KeyboardLayout(parent), m_askServer(false), m_layout(layout), m_variant(variant) {}

XkbKeyboardLayout::~XkbKeyboardLayout() {
    if (m_keymap)
        xkb_keymap_unref(m_keymap);
    if (m_context)
        xkb_context_unref(m_context);
    if (m_connection)
        xcb_disconnect(m_connection);
}

void XkbKeyboardLayout::load() {
    m_loaded = true;
    // The environment's XKB_DEFAULT_* names would otherwise fill in what the rules leave open.
    m_context = xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES);
    if (!m_context) {
        qCWarning(lcPlatform, "keyboard layout: xkbcommon made no context; keys show no characters");
        return;
    }
    const bool loaded = m_askServer ? (loadFromServer() || loadFromNames(QStringLiteral("us"), QString()))
                                    : loadFromNames(m_layout, m_variant);
    if (!loaded) {
        qCWarning(lcPlatform, "keyboard layout: no keymap could be compiled; keys show no characters");
        return;
    }
    const xkb_layout_index_t groups = xkb_keymap_num_layouts(m_keymap);
    for (xkb_layout_index_t group = 0; group < groups; ++group) {
        bool latin = false;
        for (xkb_keycode_t key = xkb_keymap_min_keycode(m_keymap);
             !latin && key <= xkb_keymap_max_keycode(m_keymap); ++key) {
            if (group < xkb_keymap_num_layouts_for_key(m_keymap, key))
                latin = givesLatinLetter(m_keymap, key, group);
        }
        m_latinGroups.append(latin);
    }
}

bool XkbKeyboardLayout::loadFromServer() {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        qCDebug(lcPlatform, "keyboard layout: no X display; using the us keymap");
        xcb_disconnect(connection);
        return false;
    }
    if (!xkb_x11_setup_xkb_extension(connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                     XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr,
                                     nullptr)) {
        qCWarning(lcPlatform, "keyboard layout: the X server has no XKB extension; using the us keymap");
        xcb_disconnect(connection);
        return false;
    }
    const qint32 device = xkb_x11_get_core_keyboard_device_id(connection);
    xkb_keymap* keymap = device < 0 ? nullptr
                                    : xkb_x11_keymap_new_from_device(m_context, connection, device,
                                                                     XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!keymap) {
        qCWarning(lcPlatform,
                  "keyboard layout: the X server's keymap could not be read; using the us keymap");
        xcb_disconnect(connection);
        return false;
    }
    m_connection = connection;
    m_device = device;
    m_keymap = keymap;
    return true;
}

bool XkbKeyboardLayout::loadFromNames(const QString& layout, const QString& variant) {
    const QByteArray layoutName = layout.toUtf8();
    const QByteArray variantName = variant.toUtf8();
    const xkb_rule_names names{"evdev", "pc105", layoutName.constData(),
                               variantName.isEmpty() ? nullptr : variantName.constData(), nullptr};
    m_keymap = xkb_keymap_new_from_names(m_context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!m_keymap)
        qCWarning(lcPlatform, "keyboard layout: no keymap for layout \"%s\"", layoutName.constData());
    return m_keymap != nullptr;
}

quint32 XkbKeyboardLayout::currentGroup() const {
    if (!m_connection || xcb_connection_has_error(m_connection))
        return 0;
    // One round trip: the group can change at any moment (a layout switch), the keymap rarely.
    xkb_state* state = xkb_x11_state_new_from_device(m_keymap, m_connection, m_device);
    if (!state)
        return 0;
    const xkb_layout_index_t group = xkb_state_serialize_layout(state, XKB_STATE_LAYOUT_EFFECTIVE);
    xkb_state_unref(state);
    return group;
}

std::optional<char32_t> XkbKeyboardLayout::character(int carbonKeyCode) {
    if (!m_loaded)
        load();
    if (!m_keymap)
        return std::nullopt;
    const std::optional<quint32> key = KeyCodes::xKeycode(carbonKeyCode);
    if (!key)
        return std::nullopt;
    xkb_layout_index_t group = currentGroup();
    if (group < xkb_layout_index_t(m_latinGroups.size()) && !m_latinGroups[group]) {
        const qsizetype latin = m_latinGroups.indexOf(true);
        if (latin >= 0)
            group = xkb_layout_index_t(latin);
    }
    const xkb_layout_index_t keyGroups = xkb_keymap_num_layouts_for_key(m_keymap, *key);
    if (keyGroups == 0)
        return std::nullopt;
    // A key with fewer groups than the keymap wraps, as the server's default group rule does.
    group %= keyGroups;
    const xkb_keysym_t* syms = nullptr;
    if (xkb_keymap_key_get_syms_by_level(m_keymap, *key, group, 0, &syms) != 1)
        return std::nullopt;
    if (syms[0] >= firstDeadKey && syms[0] <= lastDeadKey)
        return std::nullopt;
    const char32_t character = xkb_keysym_to_utf32(syms[0]);
    // No character at all (modifiers, media keys), or a control character such a key may carry.
    if (character < 0x20 || character == 0x7f)
        return std::nullopt;
    return character;
}
