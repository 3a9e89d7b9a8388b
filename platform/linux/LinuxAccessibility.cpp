#include "platform/linux/LinuxAccessibility.h"

#include "platform/PlatformLog.h"
#include "platform/linux/GioIncludes.h"

namespace {

constexpr char schemaId[] = "org.gnome.desktop.interface";
constexpr char key[] = "enable-animations";

void onSettingChanged(GSettings*, gchar*, gpointer self) {
    static_cast<LinuxAccessibility*>(self)->refresh();
}

} // namespace

LinuxAccessibility::LinuxAccessibility(QObject* parent) : Accessibility(parent) {
    m_read = [this]() -> std::optional<bool> {
        if (!m_settings)
            return std::nullopt;
        return g_settings_get_boolean(static_cast<GSettings*>(m_settings), key) != FALSE;
    };
}

LinuxAccessibility::LinuxAccessibility(AnimationsSetting readEnableAnimations, QObject* parent)
    : Accessibility(parent), m_read(std::move(readEnableAnimations)), m_watching(true) {
    refresh();
}

bool LinuxAccessibility::reduceMotion() const {
    // The first question opens the setting; the answer is current from then on.
    if (!m_watching)
        const_cast<LinuxAccessibility*>(this)->startWatching();
    return m_reduceMotion;
}

void LinuxAccessibility::startWatching() {
    m_watching = true;
    watchGSettings();
    refresh();
}

LinuxAccessibility::~LinuxAccessibility() {
    if (m_settings) {
        if (m_handler)
            g_signal_handler_disconnect(m_settings, m_handler);
        g_object_unref(m_settings);
    }
}

void LinuxAccessibility::watchGSettings() {
    // g_settings_new() aborts on an unknown schema, so look it up first.
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (!source) {
        qCDebug(lcPlatform, "reduce motion: no GSettings schemas installed; off");
        return;
    }
    GSettingsSchema* schema = g_settings_schema_source_lookup(source, schemaId, TRUE);
    if (!schema) {
        qCDebug(lcPlatform, "reduce motion: schema %s not installed; off", schemaId);
        return;
    }
    if (g_settings_schema_has_key(schema, key)) {
        GSettings* settings = g_settings_new_full(schema, nullptr, nullptr);
        m_settings = settings;
        m_handler = g_signal_connect_data(settings, "changed::enable-animations",
                                          reinterpret_cast<GCallback>(&onSettingChanged), this, nullptr,
                                          GConnectFlags(0));
    } else {
        qCDebug(lcPlatform, "reduce motion: %s has no key %s; off", schemaId, key);
    }
    g_settings_schema_unref(schema);
}

void LinuxAccessibility::refresh() {
    const std::optional<bool> animations = m_read ? m_read() : std::nullopt;
    const bool reduce = animations.has_value() && !*animations;
    if (reduce == m_reduceMotion)
        return;
    m_reduceMotion = reduce;
    qCDebug(lcPlatform, "reduce motion: %s", reduce ? "on" : "off");
    emit reduceMotionChanged(reduce);
}
