#include "Brimlark/surface/HaloController.h"

#include "Brimlark/aihooks/AIHooksService.h"
#include "Brimlark/controls/MediaService.h"
#include "Brimlark/core/AppState.h"
#include "Brimlark/core/InteractionEngine.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/surface/CompactLiveStatus.h"

#include <utility>

HaloController::HaloController(AppState& appState, MediaService& media, AIHooksService& aiHooks,
                               InteractionEngine& interaction, Clock* clock, QObject* parent)
    : QObject(parent), m_appState(appState), m_media(media), m_aiHooks(aiHooks), m_interaction(interaction),
      m_clock(clock), m_oneShotTask(clock->createTimer(this)), m_ambientTask(clock->createTimer(this)) {
    connect(m_oneShotTask, &ClockTimer::timeout, this, [this] { clearOneShot(m_oneShotFor); });
    connect(m_ambientTask, &ClockTimer::timeout, this, &HaloController::stepPhase);
}

QColor HaloController::colorFor(HookEvent::Status status) {
    using Status = HookEvent::Status;
    switch (status) {
    case Status::idle:
        return BrimlarkTheme::textTertiary();
    case Status::asking:
        return BrimlarkTheme::accent();
    case Status::working:
        return BrimlarkTheme::warning();
    case Status::finished:
        return BrimlarkTheme::success();
    case Status::error:
        return BrimlarkTheme::danger();
    }
    return BrimlarkTheme::textTertiary();
}

void HaloController::observeMedia() {
    const quint64 binding = m_binding;
    auto deliver = [this, binding](const std::optional<MediaRemoteBridge::NowPlaying>& value) {
        if (binding == m_binding)
            handleMediaChange(value);
    };
    m_cancellables.append(
        connect(&m_media, &MediaService::nowPlayingChanged, this, deliver, Qt::QueuedConnection));
    QMetaObject::invokeMethod(
        this, [deliver, value = m_media.nowPlaying()] { deliver(value); }, Qt::QueuedConnection);
}

void HaloController::observeHookEvents() {
    // The full list, not the filtered one: every new event may glow.
    const quint64 binding = m_binding;
    auto deliver = [this, binding](const QList<HookEvent>& events) {
        if (binding == m_binding)
            handleHookEvents(events);
    };
    m_cancellables.append(connect(
        &m_aiHooks, &AIHooksService::eventsChanged, this, [this, deliver] { deliver(m_aiHooks.events()); },
        Qt::QueuedConnection));
    QMetaObject::invokeMethod(
        this, [deliver, events = m_aiHooks.events()] { deliver(events); }, Qt::QueuedConnection);
}

void HaloController::observeInteractionMode() {
    const quint64 binding = m_binding;
    auto deliver = [this, binding](const InteractionEngine::Mode& mode) {
        if (binding != m_binding)
            return;
        if (mode.kind() == InteractionEngine::Mode::Kind::basic ||
            mode.kind() == InteractionEngine::Mode::Kind::advanced)
            dismissPersistent();
    };
    m_cancellables.append(connect(
        &m_interaction, &InteractionEngine::modeChanged, this,
        [deliver](const InteractionEngine::Mode& mode, const InteractionEngine::Mode&) { deliver(mode); },
        Qt::QueuedConnection));
    QMetaObject::invokeMethod(
        this, [deliver, mode = m_interaction.mode()] { deliver(mode); }, Qt::QueuedConnection);
}

void HaloController::observeHaloMode() {
    const quint64 binding = m_binding;
    auto deliver = [this, binding] {
        if (binding == m_binding)
            syncAmbientHalo();
    };
    m_cancellables.append(
        connect(&m_appState, &AppState::haloModeChanged, this, deliver, Qt::QueuedConnection));
    QMetaObject::invokeMethod(this, deliver, Qt::QueuedConnection);
}

void HaloController::startAmbientLoop() {
    m_ambientLoopRunning = true;
    updateAmbientLoop();
}

void HaloController::updateAmbientLoop() {
    // Only the ambient glow shows the phase: without one on show the loop sleeps, so an idle
    // program does not wake four times a second, and it goes on from the same phase.
    const bool needed = m_ambientLoopRunning && m_current && m_current->kind == ActiveHalo::Kind::ambient;
    if (!needed)
        m_ambientTask->stop();
    else if (!m_ambientTask->isActive())
        m_ambientTask->start(phaseInterval);
}

void HaloController::stepPhase() {
    const double sum = m_ambientPhase + phaseStep;
    m_ambientPhase = sum > 1.0 ? 0.0 : sum;
    emit ambientPhaseChanged(m_ambientPhase);
    updateAmbientLoop();
}

void HaloController::handleMediaChange(const std::optional<MediaRemoteBridge::NowPlaying>& nowPlaying) {
    if (!nowPlaying)
        return;
    const std::optional<QString> title = CompactLiveStatus::trackTitle(*nowPlaying);
    if (!title)
        return;
    // The first title after launch never glows; only a change of title does.
    if (!m_lastSeenMediaTitle) {
        m_lastSeenMediaTitle = title;
        return;
    }
    if (*title == *m_lastSeenMediaTitle)
        return;
    m_lastSeenMediaTitle = title;
    if (!m_appState.haloOnMedia())
        return;
    const QColor color =
        nowPlaying->artwork.isNull() ? BrimlarkTheme::accent() : artworkTintColor(nowPlaying->artwork);
    switch (m_appState.haloMode()) {
    case HaloMode::oneShot:
        fireOneShot(HaloSource::media, color);
        break;
    case HaloMode::persistent:
        showPersistent(HaloSource::media, color);
        break;
    case HaloMode::off:
    case HaloMode::ambient:
        break;
    }
}

namespace {

// True when `now` is `before` with some ids taken out, in the same order.
bool onlyRemovedFrom(const QList<QUuid>& before, const QList<QUuid>& now) {
    qsizetype at = 0;
    for (const QUuid& id : now) {
        while (at < before.size() && before.at(at) != id)
            ++at;
        if (at == before.size())
            return false;
        ++at;
    }
    return true;
}

} // namespace

void HaloController::handleHookEvents(const QList<HookEvent>& events) {
    const QList<QUuid> previous = std::exchange(m_knownHookIds, {});
    for (const HookEvent& event : events)
        m_knownHookIds.append(event.id);
    if (events.isEmpty())
        return;
    const HookEvent& newest = events.first();
    // Only an arrival glows, a new event or one posted again (it comes first): an event that
    // moves up to first place because newer ones were removed (answered, dismissed) does not.
    if (onlyRemovedFrom(previous, m_knownHookIds) || m_newestHookIds.contains(newest.id))
        return;
    m_newestHookIds.append(newest.id);
    while (m_newestHookIds.size() > AIHooksService::maxEvents)
        m_newestHookIds.removeFirst();
    if (!m_appState.haloOnHooks())
        return;
    const QColor color = colorFor(newest.status);
    switch (m_appState.haloMode()) {
    case HaloMode::oneShot:
        fireOneShot(HaloSource::hooks, color);
        break;
    case HaloMode::persistent:
        showPersistent(HaloSource::hooks, color);
        break;
    case HaloMode::off:
    case HaloMode::ambient:
        break;
    }
}

ActiveHalo HaloController::makeHalo(ActiveHalo::Kind kind, HaloSource source, const QColor& color) const {
    return ActiveHalo{QUuid::createUuid(), kind, color, source, m_clock->now()};
}

void HaloController::setCurrent(const std::optional<ActiveHalo>& halo) {
    if (m_current == halo)
        return;
    m_current = halo;
    updateAmbientLoop();
    emit currentChanged(m_current);
}

void HaloController::fireOneShot(HaloSource source, const QColor& color) {
    m_oneShotTask->stop();
    const ActiveHalo halo = makeHalo(ActiveHalo::Kind::oneShot, source, color);
    setCurrent(halo);
    m_oneShotFor = halo.id;
    m_oneShotTask->start(oneShotDuration);
}

void HaloController::clearOneShot(const QUuid& id) {
    if (m_current && m_current->id == id)
        setCurrent(std::nullopt);
}

void HaloController::showPersistent(HaloSource source, const QColor& color) {
    m_oneShotTask->stop();
    setCurrent(makeHalo(ActiveHalo::Kind::persistent, source, color));
}

void HaloController::dismissPersistent() {
    if (m_current && m_current->kind == ActiveHalo::Kind::persistent)
        setCurrent(std::nullopt);
}

void HaloController::syncAmbientHalo() {
    if (m_appState.haloMode() == HaloMode::ambient) {
        setCurrent(makeHalo(ActiveHalo::Kind::ambient, HaloSource::ambient, BrimlarkTheme::warning()));
        return;
    }
    if (m_current && m_current->kind == ActiveHalo::Kind::ambient)
        setCurrent(std::nullopt);
}

void HaloController::stop() {
    ++m_binding;
    for (const QMetaObject::Connection& connection : std::as_const(m_cancellables))
        disconnect(connection);
    m_cancellables.clear();
    m_oneShotTask->stop();
    m_ambientLoopRunning = false;
    m_ambientTask->stop();
    setCurrent(std::nullopt);
}
