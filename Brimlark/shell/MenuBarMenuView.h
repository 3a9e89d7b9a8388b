#pragma once

#include <QMenu>

class AppCoordinator;
class QAction;

// The tray icon's menu: "Open Advanced", "Open Basic", "Hide notch", "Settings…" and
// "Quit Brimlark". The two opening items show the global shortcut recorded for them, read each
// time the menu opens, and none when none is recorded.
class MenuBarMenuView : public QMenu {
    Q_OBJECT
public:
    explicit MenuBarMenuView(AppCoordinator& coordinator, QWidget* parent = nullptr);

    QAction* openAdvancedAction() const { return m_openAdvanced; }
    QAction* openBasicAction() const { return m_openBasic; }
    QAction* hideNotchAction() const { return m_hideNotch; }
    QAction* settingsAction() const { return m_settings; }
    QAction* quitAction() const { return m_quit; }

private:
    void showShortcutHints();

    AppCoordinator& m_coordinator;
    QAction* m_openAdvanced;
    QAction* m_openBasic;
    QAction* m_hideNotch;
    QAction* m_settings;
    QAction* m_quit;
};
