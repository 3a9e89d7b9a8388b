#pragma once

#include "Brimlark/settings/onboarding/OnboardingNavigator.h"

#include <QPointF>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include <functional>

class AIHooksService;
class QAbstractButton;
class AppState;
class PermissionsCoordinator;
class QPushButton;
class QScrollArea;
class QVariantAnimation;
class UserDefaults;

// The first-run onboarding, 640 by 640: four steps (welcome, permissions, coding tools, shortcuts)
// in a scrolling page above a bar with one dot per step and "back", "continue" and "get started".
// A horizontal drag on the page swipes between the steps (left forward, right back); a vertical
// drag on the page's background moves the window. Finishing ("get started", or Ctrl+Return on the
// last step) stores "brimlark.onboarded" as true and then calls onClose. Showing the view has the
// hook service refresh the statuses the coding-tools step shows.
class OnboardingView : public QWidget {
    Q_OBJECT
public:
    static const QString onboardedKey;
    // The name of the window that hosts the onboarding.
    static const QString windowIdentifier;
    static constexpr int viewWidth = 640;
    static constexpr int viewHeight = 640;

    OnboardingView(PermissionsCoordinator& permissions, AIHooksService& aiHooks, AppState& appState,
                   UserDefaults& defaults, std::function<void()> onClose, int totalSteps = 4,
                   QWidget* parent = nullptr);

    int step() const { return m_navigator.step(); }
    // The page's horizontal shift while a swipe is under way.
    qreal dragOffset() const { return m_navigator.offset(); }
    // The step on show.
    QWidget* stepContent() const { return m_content; }

    void goBack();
    void advance();
    void finish();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* makeStep(int step);
    QWidget* bottomBar();
    // Shows the navigator's step (sliding it in from `direction`: 1 forward, -1 back, 0 none) and
    // the bar's buttons for it.
    void showStep(int direction);
    void applyOffset();
    // Presses, moves and releases of the hosting window, read for the swipe; none is consumed.
    void trackPointer(QEvent* event);

    PermissionsCoordinator& m_permissions;
    AIHooksService& m_aiHooks;
    AppState& m_appState;
    UserDefaults& m_defaults;
    std::function<void()> m_onClose;
    OnboardingNavigator m_navigator;

    QScrollArea* m_page;
    QWidget* m_content = nullptr;
    QWidget* m_dots;
    QPushButton* m_back;
    QPushButton* m_continue;
    QPushButton* m_getStarted;
    QVariantAnimation* m_slide;
    qreal m_slideOffset = 0;

    QPointer<QWindow> m_watchedWindow;
    // The button the swipe's press landed on; a swipe takes it back so that it does not click.
    QPointer<QAbstractButton> m_pressedButton;
    bool m_tracking = false;
    bool m_pressedOnBackground = false;
    QPointF m_pressPosition;
};
