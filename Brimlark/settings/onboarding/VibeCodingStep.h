#pragma once

#include "Brimlark/core/AppState.h"

#include <QList>
#include <QWidget>

#include <functional>

class AIHooksService;
class BrimlarkStatusBadge;
class OnboardingCard;
class QLabel;
class QPushButton;
class SelectionKnob;

// The third onboarding step: which coding tools may be managed ("claude", "codex"), whether other
// local hook clients are shown, the rule set that filters hook events, the buttons that connect
// the chosen tools, and per tool whether its folder is granted and its hooks connected. Every
// choice is stored at once; the statuses follow the hook service as its installation ends.
class VibeCodingStep : public QWidget {
    Q_OBJECT
public:
    VibeCodingStep(AIHooksService& service, AppState& appState, QWidget* parent = nullptr);

private:
    using Preset = AppState::HookRulePreset;
    struct Option {
        OnboardingCard* card = nullptr;
        SelectionKnob* knob = nullptr;
        QColor tint;
        std::function<bool()> value;
    };
    struct Chip {
        Preset preset;
        OnboardingCard* card = nullptr;
        QLabel* label = nullptr;
    };
    struct ToolStatus {
        QWidget* row = nullptr;
        QString tool;
        BrimlarkStatusBadge* granted = nullptr;
        BrimlarkStatusBadge* needsAccess = nullptr;
        BrimlarkStatusBadge* connected = nullptr;
        BrimlarkStatusBadge* notConnected = nullptr;
    };

    QWidget* hookOptionRow(const QString& icon, const QColor& tint, const QString& title,
                           const QString& subtitle, std::function<bool()> value,
                           std::function<void(bool)> store);
    QWidget* presetChip(Preset preset, const QString& label);
    QWidget* toolStatusRow(const QString& tool, ToolStatus& status);
    void showOptions();
    void showPreset();
    void showStatuses();
    void connectSelected();
    void connectBoth();

    AIHooksService& m_service;
    AppState& m_appState;
    QList<Option> m_options;
    QList<Chip> m_chips;
    QPushButton* m_connectSelected = nullptr;
    ToolStatus m_claude;
    ToolStatus m_codex;
};
