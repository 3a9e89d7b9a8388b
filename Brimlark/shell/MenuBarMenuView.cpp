#include "Brimlark/shell/MenuBarMenuView.h"

#include "Brimlark/core/AppState.h"
#include "Brimlark/shell/AppCoordinator.h"
#include "Brimlark/shell/NotchWindowManager.h"
#include "Brimlark/shortcuts/ShortcutNames.h"
#include "KeyboardShortcuts/KeyboardShortcuts.h"

MenuBarMenuView::MenuBarMenuView(AppCoordinator& coordinator, QWidget* parent)
    : QMenu(parent), m_coordinator(coordinator) {
    using Mode = InteractionEngine::Mode;

    m_openAdvanced = addAction(QStringLiteral("Open Advanced"));
    connect(m_openAdvanced, &QAction::triggered, this, [this] {
        InteractionEngine& engine = m_coordinator.interactionEngine();
        if (NotchWindowManager* manager = m_coordinator.notchWindowManager())
            manager->expectMenuFocusChange();
        engine.setLastOpenTrigger(InteractionEngine::InteractionTrigger::gesture);
        engine.setMode(Mode::advanced(m_coordinator.appState().lastAdvancedPage()));
    });

    m_openBasic = addAction(QStringLiteral("Open Basic"));
    connect(m_openBasic, &QAction::triggered, this, [this] {
        // Chosen from the menu like a click: the panel takes the keyboard.
        InteractionEngine& engine = m_coordinator.interactionEngine();
        if (NotchWindowManager* manager = m_coordinator.notchWindowManager())
            manager->expectMenuFocusChange();
        engine.setLastOpenTrigger(InteractionEngine::InteractionTrigger::click);
        engine.setMode(Mode::basic());
    });

    m_hideNotch = addAction(QStringLiteral("Hide notch"));
    connect(m_hideNotch, &QAction::triggered, this, [this] {
        InteractionEngine& engine = m_coordinator.interactionEngine();
        engine.setLastOpenTrigger(std::nullopt);
        engine.setSuppressHoverActivationUntilExit(false);
        engine.setMode(Mode::hidden());
    });
    // A closed panel has nothing to hide: the item is offered only while the panel is open.
    const auto followMode = [this](const Mode& mode) {
        m_hideNotch->setEnabled(mode.kind() == Mode::Kind::basic || mode.kind() == Mode::Kind::advanced);
    };
    followMode(m_coordinator.interactionEngine().mode());
    connect(&m_coordinator.interactionEngine(), &InteractionEngine::modeChanged, m_hideNotch, followMode);

    addSeparator();
    m_settings = m_coordinator.settingsAction();
    addAction(m_settings);

    addSeparator();
    m_quit = m_coordinator.quitAction();
    addAction(m_quit);

    showShortcutHints();
    // A combination recorded in the settings shows the next time the menu opens.
    connect(this, &QMenu::aboutToShow, this, &MenuBarMenuView::showShortcutHints);
}

void MenuBarMenuView::showShortcutHints() {
    // A tray that draws the menu itself (StatusNotifierItem over D-Bus) gets the menu through Qt's
    // platform menu and reads a hint as the item's shortcut; the XEmbed tray shows this QMenu.
    const bool exported = platformMenu() != nullptr;
    const auto hint = [exported](QAction* action, const QString& label, KeyboardShortcutManager::Name name) {
        showHint(action, label, KeyboardShortcuts::getShortcut(shortcutName(name)), exported);
    };
    hint(m_openAdvanced, QStringLiteral("Open Advanced"), KeyboardShortcutManager::Name::toggleAdvanced);
    hint(m_openBasic, QStringLiteral("Open Basic"), KeyboardShortcutManager::Name::toggleBasic);
}

void MenuBarMenuView::showHint(QAction* action, const QString& label,
                               const std::optional<KeyboardShortcuts::Shortcut>& shortcut, bool asShortcut) {
    // The global shortcuts are grabbed by the desktop, not the menu. Drawn by Qt, the hint is text
    // after a tab, which the menu puts in its shortcut column in the desktop's notation, and the
    // menu takes no key. A host that draws the label as text would show that tab as a gap: there
    // the hint goes as the item's shortcut, which the action answers only inside the menu.
    const std::optional<QKeySequence> keys = shortcut ? shortcut->toKeySequence() : std::nullopt;
    if (asShortcut) {
        action->setText(label);
        action->setShortcut(keys.value_or(QKeySequence()));
        return;
    }
    action->setShortcut(QKeySequence());
    action->setText(shortcut ? label + QLatin1Char('\t') + shortcut->description() : label);
}
