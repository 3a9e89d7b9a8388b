#pragma once

#include <QObject>
#include <QString>

#include <optional>

namespace SettingsTabs {
Q_NAMESPACE

// The settings pages in sidebar order; raw values are the case names.
enum class SettingsTab {
    general,
    glow,
    quickActions,
    appBatch,
    shortcuts,
    aiHooks,
    focus,
    mirror,
    permissions,
    about
};
Q_ENUM_NS(SettingsTab)

// The page's name as the sidebar and the header show it.
QString title(SettingsTab tab);
// The symbol drawn beside the page's name.
QString systemImage(SettingsTab tab);

} // namespace SettingsTabs

using SettingsTab = SettingsTabs::SettingsTab;
