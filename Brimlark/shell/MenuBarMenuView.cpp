#include "Brimlark/shell/MenuBarMenuView.h"

#include "Brimlark/core/AppState.h"
#include "Brimlark/shell/AppCoordinator.h"
#include "Brimlark/shell/NotchWindowManager.h"

#include <QCoreApplication>

MenuBarMenuView::MenuBarMenuView(AppCoordinator& coordinator, QWidget* parent)
    : QMenu(parent), m_coordinator(coordinator) {
    using Mode = InteractionEngine::Mode;

    m_openAdvanced = addAction(QStringLiteral("Open Advanced"));
    m_openAdvanced->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
    connect(m_openAdvanced, &QAction::triggered, this, [this] {
        InteractionEngine& engine = m_coordinator.interactionEngine();
        if (NotchWindowManager* manager = m_coordinator.notchWindowManager())
            manager->expectMenuFocusChange();
        engine.setLastOpenTrigger(InteractionEngine::InteractionTrigger::gesture);
        engine.setMode(Mode::advanced(m_coordinator.appState().lastAdvancedPage()));
    });

    m_openBasic = addAction(QStringLiteral("Open Basic"));
    m_openBasic->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_N));
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
}
