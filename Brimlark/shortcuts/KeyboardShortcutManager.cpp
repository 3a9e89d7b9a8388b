#include "Brimlark/shortcuts/KeyboardShortcutManager.h"

#include "Brimlark/core/AdvancedPage.h"
#include "Brimlark/core/AppState.h"
#include "Brimlark/core/EnumText.h"
#include "Brimlark/core/InteractionEngine.h"
#include "Brimlark/core/Logging.h"
#include "platform/ContextCallback.h"

namespace {
void call(const std::function<void()>& handler) {
    if (handler)
        handler();
}
} // namespace

KeyboardShortcutManager::KeyboardShortcutManager(InteractionEngine& interactionEngine, AppState& appState,
                                                 FeatureHandlers handlers, KeyDownRegistrar registrar,
                                                 QObject* parent)
    : QObject(parent), m_interactionEngine(interactionEngine), m_appState(appState),
      m_handlers(std::move(handlers)), m_registrar(std::move(registrar)) {}

void KeyboardShortcutManager::start() {
    if (!m_registrar) {
        qCInfo(lcApp, "global shortcuts not registered: no hot-key registry available");
        return;
    }
    for (Name name : allCases<Name>()) {
        // The registry may keep the action longer than the manager lives: it is tied to the manager.
        m_registrar(name, ContextCallback<void()>(this, [this, name] { perform(name); }));
    }
}

void KeyboardShortcutManager::perform(Name name) {
    using Mode = InteractionEngine::Mode;
    const Mode mode = m_interactionEngine.mode();
    switch (name) {
    case Name::toggleBasic:
        m_interactionEngine.setLastOpenTrigger(InteractionEngine::InteractionTrigger::shortcut);
        m_interactionEngine.setMode(mode == Mode::basic() ? Mode::hidden() : Mode::basic());
        return;
    case Name::toggleAdvanced:
        // Advanced on its last page whatever the default open mode; pressed again, hidden.
        m_interactionEngine.setLastOpenTrigger(InteractionEngine::InteractionTrigger::shortcut);
        m_interactionEngine.setMode(mode.isAdvanced() ? Mode::hidden()
                                                      : Mode::advanced(m_appState.lastAdvancedPage()));
        return;
    case Name::nextPage:
        if (mode.isAdvanced())
            m_interactionEngine.setMode(Mode::advanced(AdvancedPages::normalizedPage(mode.page() + 1)));
        return;
    case Name::prevPage:
        if (mode.isAdvanced())
            m_interactionEngine.setMode(
                Mode::advanced(AdvancedPages::normalizedPage(mode.page() + AdvancedPages::pageCount - 1)));
        return;
    case Name::playPause:
        return call(m_handlers.playPause);
    case Name::nextTrack:
        return call(m_handlers.nextTrack);
    case Name::prevTrack:
        return call(m_handlers.prevTrack);
    case Name::muteMic:
        return call(m_handlers.muteMic);
    case Name::cycleFocus:
        return call(m_handlers.cycleFocus);
    case Name::toggleDND:
        return call(m_handlers.toggleDND);
    case Name::timer15:
    case Name::timer30:
    case Name::timer60:
        if (m_handlers.startTimer)
            m_handlers.startTimer(name == Name::timer15 ? 900.0 : name == Name::timer30 ? 1800.0 : 3600.0);
        return;
    case Name::openNotes:
        return call(m_handlers.openNotes);
    case Name::openMirror:
        return call(m_handlers.openMirror);
    case Name::launchAppBatch:
        return call(m_handlers.launchAppBatch);
    }
}
