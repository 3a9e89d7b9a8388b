#pragma once

#include "Brimlark/aihooks/events/HookEvent.h"
#include "Brimlark/controls/MediaRemoteBridge.h"
#include "Brimlark/surface/ActiveHalo.h"
#include "platform/Clock.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUuid>

#include <chrono>
#include <optional>

class AIHooksService;
class AppState;
class InteractionEngine;
class MediaService;

// Decides which glow plays around the notch: a brief one or one that stays until the panel opens
// when a new track starts or a new hook event arrives, or a steady ambient one, as the glow
// settings say. It also steps the phase that the ambient glow's colour follows.
class HaloController : public QObject {
    Q_OBJECT
    Q_PROPERTY(std::optional<ActiveHalo> current READ current NOTIFY currentChanged)
    Q_PROPERTY(double ambientPhase READ ambientPhase NOTIFY ambientPhaseChanged)
public:
    static constexpr std::chrono::milliseconds oneShotDuration{1800};
    static constexpr std::chrono::milliseconds phaseInterval{250};
    static constexpr double phaseStep = 1.0 / 24.0;

    // Keeps the services; nothing is observed until the observe operations run.
    HaloController(AppState& appState, MediaService& media, AIHooksService& aiHooks,
                   InteractionEngine& interaction, Clock* clock = Clock::system(), QObject* parent = nullptr);

    const std::optional<ActiveHalo>& current() const { return m_current; }
    // 0 up to just under 1, then 0 again: one cycle every 6.25 s while an ambient glow is on show.
    double ambientPhase() const { return m_ambientPhase; }

    // The glow colour of a hook event's status.
    static QColor colorFor(HookEvent::Status status);

    // The bindings, in the order the coordinator makes them. Each observer also sees the value
    // current when it subscribes, on the next turn of the event loop like every later change.
    void observeMedia();
    void observeHookEvents();
    void observeInteractionMode();
    void observeHaloMode();
    void startAmbientLoop();
    void syncAmbientHalo();

    // Ends a persistent glow; a brief or ambient one stays.
    void dismissPersistent();
    // Drops the observers and both timers and clears the glow.
    void stop();

signals:
    void currentChanged(const std::optional<ActiveHalo>& current);
    void ambientPhaseChanged(double ambientPhase);

private:
    void handleMediaChange(const std::optional<MediaRemoteBridge::NowPlaying>& nowPlaying);
    void handleHookEvents(const QList<HookEvent>& events);
    void fireOneShot(HaloSource source, const QColor& color);
    void showPersistent(HaloSource source, const QColor& color);
    void clearOneShot(const QUuid& id);
    void setCurrent(const std::optional<ActiveHalo>& halo);
    ActiveHalo makeHalo(ActiveHalo::Kind kind, HaloSource source, const QColor& color) const;
    void stepPhase();
    void updateAmbientLoop();

    AppState& m_appState;
    MediaService& m_media;
    AIHooksService& m_aiHooks;
    InteractionEngine& m_interaction;
    Clock* m_clock;

    std::optional<ActiveHalo> m_current;
    double m_ambientPhase = 0.0;
    QList<QMetaObject::Connection> m_cancellables;
    ClockTimer* m_oneShotTask;
    // The glow the running one-shot timer will clear; a newer glow has another id and stays.
    QUuid m_oneShotFor;
    ClockTimer* m_ambientTask;
    bool m_ambientLoopRunning = false;
    // Bumped by stop(): deliveries already on their way from an earlier binding are dropped.
    quint64 m_binding = 0;
    std::optional<QString> m_lastSeenMediaTitle;
    // The ids of the last delivered list, in order: a list that only lost some of them brings no
    // arrival.
    QList<QUuid> m_knownHookIds;
    // The ids that have been the newest event, oldest first, at most the service's maxEvents: an
    // event glows once, when it first arrives as the newest, never again when it is newest a second
    // time because the ones above it were removed.
    QList<QUuid> m_newestHookIds;
};
