#pragma once

#include <QWidget>

#include <functional>

class AppState;
class PermissionsCoordinator;
class QLabel;
class QPushButton;
class UserDefaults;

// The first-run onboarding: four steps (welcome, permissions, coding tools, shortcuts) above a bar
// with one dot per step and "back", "continue" and "get started". Finishing stores
// "brimlark.onboarded" as true and then calls onClose. Steps not built yet show their title.
class OnboardingView : public QWidget {
    Q_OBJECT
public:
    static const QString onboardedKey;

    OnboardingView(PermissionsCoordinator& permissions, AppState& appState, UserDefaults& defaults,
                   std::function<void()> onClose, int totalSteps = 4, QWidget* parent = nullptr);

    int step() const { return m_step; }
    static QString stepTitle(int step);

    void goBack();
    void advance();
    void finish();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void showStep();

    PermissionsCoordinator& m_permissions;
    AppState& m_appState;
    UserDefaults& m_defaults;
    std::function<void()> m_onClose;
    int m_totalSteps;
    int m_step = 0;
    QLabel* m_title;
    QPushButton* m_back;
    QPushButton* m_continue;
    QPushButton* m_getStarted;
    QWidget* m_dots;
};
