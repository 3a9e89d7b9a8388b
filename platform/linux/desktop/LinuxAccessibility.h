#pragma once

#include "platform/Accessibility.h"

#include <functional>
#include <optional>

// Reduce motion on Linux: on when GNOME's setting org.gnome.desktop.interface enable-animations
// is false. When the schema is not installed (or the setting cannot be read) reduce motion is
// off. The setting is read through GSettings when it is first asked for (an animation about to
// run), not at start: opening GSettings loads GIO's modules, dconf and its threads, which a closed
// panel never needs. From then on it is read again whenever GSettings reports a change (delivered
// while Qt runs its GLib event dispatcher, the default on Linux).
class LinuxAccessibility final : public Accessibility {
    Q_OBJECT
public:
    // Answers GNOME's enable-animations, or nullopt when it cannot be read.
    using AnimationsSetting = std::function<std::optional<bool>()>;

    explicit LinuxAccessibility(QObject* parent = nullptr);
    // Test seam: reads the setting through `readEnableAnimations` instead of GSettings.
    explicit LinuxAccessibility(AnimationsSetting readEnableAnimations, QObject* parent = nullptr);
    ~LinuxAccessibility() override;

    bool reduceMotion() const override;

    // Reads the setting again; emits reduceMotionChanged when the answer differs.
    void refresh();

private:
    void startWatching();
    void watchGSettings();

    AnimationsSetting m_read;
    void* m_settings = nullptr; // the GIO module's watch, when the schema and key exist
    bool m_reduceMotion = false;
    bool m_watching = false;
};
