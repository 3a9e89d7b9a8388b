#pragma once

#include "Brimlark/core/AppState.h"

#include <QWidget>

class OnboardingCard;
class QLabel;

// The first onboarding step: a greeting and the one question of which mode the panel opens in
// when clicked or opened by a shortcut, "media first" (basic) or "full dashboard" (advanced). A
// choice is stored at once; the selected card (the checked one) follows the setting, also when it
// changes elsewhere.
class WelcomeStep : public QWidget {
    Q_OBJECT
public:
    explicit WelcomeStep(AppState& appState, QWidget* parent = nullptr);

    // Stores `mode`, also when it is already the setting.
    void selectOpenMode(AppState::DefaultOpenMode mode);

private:
    struct Choice {
        AppState::DefaultOpenMode mode;
        QString symbol;
        OnboardingCard* card = nullptr;
        QLabel* icon = nullptr;
    };

    QWidget* openModeCard(Choice& choice, const QString& title);
    void showSelection();

    AppState& m_appState;
    QList<Choice> m_choices;
};
