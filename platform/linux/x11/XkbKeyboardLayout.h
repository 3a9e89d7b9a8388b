#pragma once

#include "platform/KeyboardLayout.h"

#include <QList>
#include <QString>

struct xkb_context;
struct xkb_keymap;
struct xcb_connection_t;

// The keyboard layout through xkbcommon. Nothing is read or compiled until the first question, so
// building one costs nothing at start.
class XkbKeyboardLayout final : public KeyboardLayout {
    Q_OBJECT
public:
    // The X server's live keymap, its current group asked at every question; when no X server
    // answers (or it lacks the XKB extension), the keymap of the evdev rules, model pc105,
    // layout us.
    explicit XkbKeyboardLayout(QObject* parent = nullptr);
    // A keymap compiled from the evdev rules for `layout` (such as "de", or "ru,us" for two
    // groups) and `variant`; the X server is never asked and the current group is the first.
    XkbKeyboardLayout(const QString& layout, const QString& variant, QObject* parent = nullptr);
    ~XkbKeyboardLayout() override;

    std::optional<char32_t> character(int carbonKeyCode) override;

    // Whether a keymap has been loaded yet (a question loads it).
    bool isLoaded() const { return m_loaded; }
    // Whether the loaded keymap is the X server's.
    bool isLive() const { return m_connection != nullptr; }

private:
    void load();
    bool loadFromServer();
    bool loadFromNames(const QString& layout, const QString& variant);
    quint32 currentGroup() const;

    const bool m_askServer;
    const QString m_layout;
    const QString m_variant;
    bool m_loaded = false;
    xkb_context* m_context = nullptr;
    xkb_keymap* m_keymap = nullptr;
    xcb_connection_t* m_connection = nullptr;
    qint32 m_device = -1;
    // Per group of the keymap: whether it has keys that give ASCII letters.
    QList<bool> m_latinGroups;
};
