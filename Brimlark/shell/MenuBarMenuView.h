#pragma once

#include "KeyboardShortcuts/Shortcut.h"

#include <QMenu>

#include <optional>

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

    // Shows the recorded global shortcuts beside the opening items; also called when the menu
    // opens, and once the tray holds the menu.
    void showShortcutHints();
    // Labels `action` with `label` and the hint of `shortcut` (none when empty): after a tab in
    // the text, or as the action's shortcut when `asShortcut`.
    static void showHint(QAction* action, const QString& label,
                         const std::optional<KeyboardShortcuts::Shortcut>& shortcut, bool asShortcut);

private:
    AppCoordinator& m_coordinator;
    QAction* m_openAdvanced;
    QAction* m_openBasic;
    QAction* m_hideNotch;
    QAction* m_settings;
    QAction* m_quit;
};
