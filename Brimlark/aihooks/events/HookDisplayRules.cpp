#include "Brimlark/aihooks/events/HookDisplayRules.h"

#include "Brimlark/core/EnumText.h"

namespace {

bool nameIsOneOf(const QString& name, std::initializer_list<QLatin1String> names) {
    for (const QLatin1String candidate : names)
        if (name == candidate)
            return true;
    return false;
}

} // namespace

HookDisplayRules HookDisplayRules::of(const AppState& appState) {
    return HookDisplayRules{appState.hookRulePreset(), appState.showOtherHookClients(),
                            appState.aiHooksSourceFilter(), appState.aiHooksStatusFilter()};
}

bool HookDisplayRules::shouldDisplay(const HookEvent& event) const {
    using Status = HookEvent::Status;
    if (event.source == HookEvent::Source::other && !showOtherClients)
        return false;
    const QString name = event.eventName.value_or(QString()).toLower();
    const bool asksOrFailed = event.status == Status::asking || event.status == Status::error;
    switch (preset) {
    case AppState::HookRulePreset::fullFeed:
        return true;
    case AppState::HookRulePreset::focused:
        switch (event.status) {
        case Status::asking:
        case Status::error:
            return true;
        case Status::working:
            return event.toolName.has_value() ||
                   nameIsOneOf(name, {QLatin1String("sessionstart"), QLatin1String("notification"),
                                      QLatin1String("userpromptsubmit")});
        case Status::finished:
            return event.toolName.has_value() ||
                   nameIsOneOf(name, {QLatin1String("sessionend"), QLatin1String("stop"),
                                      QLatin1String("subagentstop"), QLatin1String("precompact"),
                                      QLatin1String("postcompact"), QLatin1String("posttooluse")});
        case Status::idle:
            return false;
        }
        return false;
    case AppState::HookRulePreset::approvalsOnly:
        return asksOrFailed || nameIsOneOf(name, {QLatin1String("sessionstart"), QLatin1String("sessionend"),
                                                  QLatin1String("stop"), QLatin1String("stopfailure"),
                                                  QLatin1String("permissiondenied")});
    }
    return false;
}

bool HookDisplayRules::isVisible(const HookEvent& event) const {
    if (!shouldDisplay(event))
        return false;
    if (sourceFilter != AppState::AIHooksSourceFilter::all &&
        HookEvent::sourceText(event.source) != rawValue(sourceFilter))
        return false;
    return statusFilter == AppState::AIHooksStatusFilter::all ||
           HookEvent::statusText(event.status) == rawValue(statusFilter);
}

bool HookDisplayRules::shouldNotify(const HookEvent& event) const {
    return shouldDisplay(event) && event.source != HookEvent::Source::other &&
           event.status == HookEvent::Status::asking;
}

QList<HookEvent> HookDisplayRules::presetFilteredEvents(const QList<HookEvent>& events) const {
    QList<HookEvent> shown;
    for (const HookEvent& event : events)
        if (shouldDisplay(event))
            shown.append(event);
    return shown;
}

QList<HookEvent> HookDisplayRules::visibleEvents(const QList<HookEvent>& events) const {
    QList<HookEvent> visible;
    for (const HookEvent& event : events)
        if (isVisible(event))
            visible.append(event);
    return visible;
}

std::optional<HookEvent> HookDisplayRules::activeEvent(const QList<HookEvent>& events) const {
    for (const HookEvent& event : events)
        if (isVisible(event) &&
            (event.status == HookEvent::Status::asking || event.status == HookEvent::Status::working ||
             event.status == HookEvent::Status::error))
            return event;
    return std::nullopt;
}
