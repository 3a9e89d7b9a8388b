#include "platform/linux/desktop/LinuxAccessibility.h"

#include "platform/PlatformLog.h"
#include "platform/linux/apps/GioModule.h"

LinuxAccessibility::LinuxAccessibility(QObject* parent) : Accessibility(parent) {
    m_read = [this]() -> std::optional<bool> {
        if (!m_settings)
            return std::nullopt;
        return gioModule()->enableAnimations(m_settings);
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
    if (m_settings)
        gioModule()->unwatch(m_settings);
}

void LinuxAccessibility::watchGSettings() {
    const GioModule* gio = gioModule();
    if (!gio)
        return;
    QString why;
    m_settings = gio->watchEnableAnimations([this] { refresh(); }, &why);
    if (!m_settings)
        qCDebug(lcPlatform, "reduce motion: %s; off", qUtf8Printable(why));
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
