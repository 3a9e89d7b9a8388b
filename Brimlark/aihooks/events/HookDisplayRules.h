#pragma once

#include "Brimlark/aihooks/events/HookEvent.h"
#include "Brimlark/core/AppState.h"

#include <QList>

#include <optional>

// Which hook events are shown and which may notify, decided by the settings alone: the rule
// preset and "show other clients" first, then the source and status filters of the list.
struct HookDisplayRules {
    AppState::HookRulePreset preset = AppState::HookRulePreset::focused;
    bool showOtherClients = false;
    AppState::AIHooksSourceFilter sourceFilter = AppState::AIHooksSourceFilter::all;
    AppState::AIHooksStatusFilter statusFilter = AppState::AIHooksStatusFilter::all;

    // The rules as the settings hold them now.
    static HookDisplayRules of(const AppState& appState);

    // Passes the preset and "show other clients".
    bool shouldDisplay(const HookEvent& event) const;
    // Passes shouldDisplay() and the source and status filters.
    bool isVisible(const HookEvent& event) const;
    // Shown, from claude or codex, and asking.
    bool shouldNotify(const HookEvent& event) const;

    // The events that pass, in their order.
    QList<HookEvent> presetFilteredEvents(const QList<HookEvent>& events) const;
    QList<HookEvent> visibleEvents(const QList<HookEvent>& events) const;
    // The first visible event that asks, works or failed.
    std::optional<HookEvent> activeEvent(const QList<HookEvent>& events) const;
};
