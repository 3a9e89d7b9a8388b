#include "Brimlark/core/InteractionEngine.h"

#include "Brimlark/core/AdvancedPage.h"
#include "Brimlark/core/AppState.h"
#include "Brimlark/core/Logging.h"

#include <cmath>

QString InteractionEngine::Mode::toString() const {
    switch (m_kind) {
    case Kind::advanced:
        return QStringLiteral("advanced(page: %1)").arg(m_page);
    case Kind::hidden:
        return QStringLiteral("hidden");
    case Kind::peek:
        return QStringLiteral("peek");
    case Kind::basic:
        return QStringLiteral("basic");
    }
    return {};
}

InteractionEngine::InteractionEngine(AppState& appState, Clock* clock, QObject* parent)
    : QObject(parent), m_appState(appState), m_hideAfterPeekTimer(clock->createTimer(this)),
      m_hoverActivationTimer(clock->createTimer(this)) {
    connect(m_hoverActivationTimer, &ClockTimer::timeout, this, [this] {
        if (m_mode != Mode::hidden())
            return;
        m_lastOpenTrigger = InteractionTrigger::hover;
        setMode(Mode::basic());
    });
}

void InteractionEngine::setMode(const Mode& mode) {
    if (mode == m_mode)
        return;
    const Mode previous = m_mode;
    qCDebug(lcInteraction, "mode %s → %s", qUtf8Printable(previous.toString()),
            qUtf8Printable(mode.toString()));
    m_mode = mode;
    emit modeChanged(m_mode, previous);
    if (m_mode.isAdvanced())
        m_appState.setLastAdvancedPage(m_mode.page());
    cancelHideAfterPeek();
    m_hoverActivationTimer->stop();
}

InteractionEngine::Mode InteractionEngine::lastAdvancedMode() const {
    return Mode::advanced(AdvancedPages::normalizedPage(m_appState.lastAdvancedPage()));
}

InteractionEngine::Mode InteractionEngine::targetMode(InteractionTrigger trigger) const {
    switch (trigger) {
    case InteractionTrigger::hover:
        return Mode::basic();
    case InteractionTrigger::click:
    case InteractionTrigger::shortcut:
        return m_appState.defaultOpenMode() == AppState::DefaultOpenMode::advanced ? lastAdvancedMode()
                                                                                   : Mode::basic();
    case InteractionTrigger::gesture:
        return lastAdvancedMode();
    }
    return Mode::basic();
}

void InteractionEngine::open(InteractionTrigger trigger) {
    const Mode target = targetMode(trigger);
    if (trigger != InteractionTrigger::hover && m_mode == target) {
        close();
        return;
    }
    m_lastOpenTrigger = trigger;
    setMode(target);
}

void InteractionEngine::close() {
    m_lastOpenTrigger.reset();
    m_suppressHoverActivationUntilExit = false;
    setMode(Mode::hidden());
}

void InteractionEngine::hover(bool inside) {
    switch (m_mode.kind()) {
    case Mode::Kind::hidden:
        if (inside) {
            if (!m_suppressHoverActivationUntilExit)
                scheduleHoverActivation();
        } else {
            m_hoverActivationTimer->stop();
            m_suppressHoverActivationUntilExit = false;
        }
        break;
    case Mode::Kind::basic:
        if (m_lastOpenTrigger == InteractionTrigger::hover) {
            if (inside)
                cancelHideAfterPeek();
            else
                m_suppressHoverActivationUntilExit = false;
        }
        break;
    case Mode::Kind::peek:
    case Mode::Kind::advanced:
        break;
    }
}

double InteractionEngine::clampedHoverDelay() const {
    const double stored = m_appState.hoverPeekDelay();
    if (!std::isfinite(stored))
        return 0.1;
    return std::max(std::min(stored, 0.5), 0.1);
}

void InteractionEngine::scheduleHoverActivation() {
    m_hoverActivationTimer->stop();
    m_hoverActivationTimer->start(std::chrono::milliseconds(std::llround(clampedHoverDelay() * 1000.0)));
}

void InteractionEngine::cancelHideAfterPeek() {
    m_hideAfterPeekTimer->stop();
}

void InteractionEngine::previousPage(int pageCount) {
    if (!m_mode.isAdvanced() || pageCount < 1)
        return;
    const int page = (m_mode.page() % pageCount + pageCount) % pageCount;
    setMode(Mode::advanced((page - 1 + pageCount) % pageCount));
}

void InteractionEngine::nextPage(int pageCount) {
    if (!m_mode.isAdvanced() || pageCount < 1)
        return;
    const int page = (m_mode.page() % pageCount + pageCount) % pageCount;
    setMode(Mode::advanced((page + 1) % pageCount));
}
