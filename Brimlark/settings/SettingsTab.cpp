#include "Brimlark/settings/SettingsTab.h"

namespace SettingsTabs {

QString title(SettingsTab tab) {
    switch (tab) {
    case SettingsTab::general:
        return QStringLiteral("general");
    case SettingsTab::glow:
        return QStringLiteral("glow");
    case SettingsTab::quickActions:
        return QStringLiteral("quick actions");
    case SettingsTab::appBatch:
        return QStringLiteral("app batch");
    case SettingsTab::shortcuts:
        return QStringLiteral("shortcuts");
    case SettingsTab::aiHooks:
        return QStringLiteral("ai hooks");
    case SettingsTab::focus:
        return QStringLiteral("focus");
    case SettingsTab::mirror:
        return QStringLiteral("mirror");
    case SettingsTab::permissions:
        return QStringLiteral("permissions");
    case SettingsTab::about:
        return QStringLiteral("about");
    }
    return {};
}

QString systemImage(SettingsTab tab) {
    switch (tab) {
    case SettingsTab::general:
        return QStringLiteral("gear");
    case SettingsTab::glow:
        return QStringLiteral("sparkles");
    case SettingsTab::quickActions:
        return QStringLiteral("circle.grid.3x3");
    case SettingsTab::appBatch:
        return QStringLiteral("square.grid.2x2");
    case SettingsTab::shortcuts:
        return QStringLiteral("command");
    case SettingsTab::aiHooks:
        return QStringLiteral("bolt.horizontal.circle");
    case SettingsTab::focus:
        return QStringLiteral("moon.stars");
    case SettingsTab::mirror:
        return QStringLiteral("person.crop.rectangle");
    case SettingsTab::permissions:
        return QStringLiteral("lock.shield");
    case SettingsTab::about:
        return QStringLiteral("info.circle");
    }
    return {};
}

} // namespace SettingsTabs
