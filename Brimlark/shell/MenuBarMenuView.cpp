#include "Brimlark/shell/MenuBarMenuView.h"

#include "Brimlark/core/AppState.h"
#include "Brimlark/shell/AppCoordinator.h"
#include "Brimlark/shell/NotchWindowManager.h"
#include "Brimlark/shortcuts/ShortcutNames.h"
#include "KeyboardShortcuts/KeyboardShortcuts.h"

#include <QCoreApplication>

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
    m_settings = addAction(QStringLiteral("Settings…"));
    m_settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    connect(m_settings, &QAction::triggered, this, [this] { m_coordinator.openSettings(); });

    addSeparator();
    m_quit = addAction(QStringLiteral("Quit Brimlark"));
    m_quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    // exit(), not quit(): quit() first asks every window to close, and the panel refuses that.
    connect(m_quit, &QAction::triggered, this, [] { QCoreApplication::exit(0); });

    showShortcutHints();
    // A combination recorded in the settings shows the next time the menu opens.
    connect(this, &QMenu::aboutToShow, this, &MenuBarMenuView::showShortcutHints);
}

void MenuBarMenuView::showShortcutHints() {
    // The global shortcuts are grabbed by the desktop, not the menu: the hint is text after a tab,
    // which the menu draws in its shortcut column, so the menu itself takes no key.
    const auto hint = [](QAction* action, const QString& label, KeyboardShortcutManager::Name name) {
        const std::optional<KeyboardShortcuts::Shortcut> shortcut =
            KeyboardShortcuts::getShortcut(shortcutName(name));
        action->setText(shortcut ? label + QLatin1Char('\t') + shortcut->description() : label);
    };
    hint(m_openAdvanced, QStringLiteral("Open Advanced"), KeyboardShortcutManager::Name::toggleAdvanced);
    hint(m_openBasic, QStringLiteral("Open Basic"), KeyboardShortcutManager::Name::toggleBasic);
}
