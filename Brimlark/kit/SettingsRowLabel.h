#pragma once

#include <QString>

class QLabel;
class QWidget;

// The two texts of a settings row: its title above a secondary line that wraps onto as many lines
// as it needs, both shown exactly as given. The caller stacks them.
struct SettingsRowLabel {
    QLabel* title = nullptr;
    QLabel* subtitle = nullptr;
};

SettingsRowLabel settingsRowLabel(const QString& title, const QString& subtitle, QWidget* parent);
