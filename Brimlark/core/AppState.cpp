#include "Brimlark/core/AppState.h"

#include "Brimlark/core/EnumText.h"
#include "platform/UserDefaults.h"

#include <QVariantMap>

#include <climits>

const QString AppState::Keys::lastAdvancedPage = QStringLiteral("brimlark.lastAdvancedPage");
const QString AppState::Keys::hoverToPeekEnabled = QStringLiteral("brimlark.hoverToPeek");
const QString AppState::Keys::hoverPeekDelay = QStringLiteral("brimlark.hoverPeekDelay");
const QString AppState::Keys::defaultOpenMode = QStringLiteral("brimlark.defaultOpenMode");
const QString AppState::Keys::gesturesEnabled = QStringLiteral("brimlark.gesturesEnabled");
const QString AppState::Keys::animationIntensity = QStringLiteral("brimlark.animationIntensity");
const QString AppState::Keys::autoCycleFocusOnTimerStart = QStringLiteral("brimlark.autoCycleFocusOnTimer");
const QString AppState::Keys::useMaterialCards = QStringLiteral("brimlark.useMaterialCards");
const QString AppState::Keys::hookRulePreset = QStringLiteral("brimlark.hookRulePreset");
const QString AppState::Keys::allowClaudeHookInstall = QStringLiteral("brimlark.allowClaudeHookInstall");
const QString AppState::Keys::allowCodexHookInstall = QStringLiteral("brimlark.allowCodexHookInstall");
const QString AppState::Keys::showOtherHookClients = QStringLiteral("brimlark.showOtherHookClients");
const QString AppState::Keys::notificationsMuted = QStringLiteral("brimlark.notificationsMuted");
const QString AppState::Keys::aiHooksStatusFilter = QStringLiteral("brimlark.aiHooksStatusFilter");
const QString AppState::Keys::aiHooksSourceFilter = QStringLiteral("brimlark.aiHooksSourceFilter");
const QString AppState::Keys::haloMode = QStringLiteral("brimlark.haloMode");
const QString AppState::Keys::haloOnMedia = QStringLiteral("brimlark.haloOnMedia");
const QString AppState::Keys::haloOnHooks = QStringLiteral("brimlark.haloOnHooks");

namespace {

// The case for the stored text; the default case when the text is missing or names no case.
template <typename E> E readEnum(const UserDefaults& store, const QString& key, E fallback) {
    const std::optional<QString> text = store.string(key);
    return enumFromRawValue<E>(text.value_or(rawValue(fallback))).value_or(fallback);
}

} // namespace

AppState::AppState(UserDefaults& store, QObject* parent) : QObject(parent), m_store(store) {
    m_store.registerDefaults({
        {Keys::lastAdvancedPage, qint64(0)},
        {Keys::hoverToPeekEnabled, true},
        {Keys::hoverPeekDelay, 0.1},
        {Keys::defaultOpenMode, QStringLiteral("basic")},
        {Keys::gesturesEnabled, true},
        {Keys::animationIntensity, QStringLiteral("standard")},
        {Keys::autoCycleFocusOnTimerStart, false},
        {Keys::useMaterialCards, false},
        {Keys::hookRulePreset, QStringLiteral("focused")},
        {Keys::allowClaudeHookInstall, false},
        {Keys::allowCodexHookInstall, false},
        {Keys::showOtherHookClients, true},
        {Keys::notificationsMuted, false},
        {Keys::aiHooksStatusFilter, QStringLiteral("all")},
        {Keys::aiHooksSourceFilter, QStringLiteral("all")},
        {Keys::haloMode, QStringLiteral("oneShot")},
        {Keys::haloOnMedia, true},
        {Keys::haloOnHooks, true},
    });

    m_lastAdvancedPage =
        int(qBound(qint64(INT_MIN), m_store.integer(Keys::lastAdvancedPage), qint64(INT_MAX)));
    m_hoverToPeekEnabled = m_store.boolValue(Keys::hoverToPeekEnabled);
    m_hoverPeekDelay = m_store.doubleValue(Keys::hoverPeekDelay);
    m_defaultOpenMode = readEnum(m_store, Keys::defaultOpenMode, DefaultOpenMode::basic);
    m_gesturesEnabled = m_store.boolValue(Keys::gesturesEnabled);
    m_animationIntensity = readEnum(m_store, Keys::animationIntensity, AnimationIntensity::standard);
    m_autoCycleFocusOnTimerStart = m_store.boolValue(Keys::autoCycleFocusOnTimerStart);
    m_useMaterialCards = m_store.boolValue(Keys::useMaterialCards);
    m_hookRulePreset = readEnum(m_store, Keys::hookRulePreset, HookRulePreset::focused);
    m_allowClaudeHookInstall = m_store.boolValue(Keys::allowClaudeHookInstall);
    m_allowCodexHookInstall = m_store.boolValue(Keys::allowCodexHookInstall);
    m_showOtherHookClients = m_store.boolValue(Keys::showOtherHookClients);
    m_notificationsMuted = m_store.boolValue(Keys::notificationsMuted);
    m_aiHooksStatusFilter = readEnum(m_store, Keys::aiHooksStatusFilter, AIHooksStatusFilter::all);
    m_aiHooksSourceFilter = readEnum(m_store, Keys::aiHooksSourceFilter, AIHooksSourceFilter::all);
    m_haloMode = readEnum(m_store, Keys::haloMode, HaloMode::oneShot);
    m_haloOnMedia = m_store.boolValue(Keys::haloOnMedia);
    m_haloOnHooks = m_store.boolValue(Keys::haloOnHooks);
}

void AppState::setLastAdvancedPage(int value) {
    m_lastAdvancedPage = value;
    emit lastAdvancedPageChanged(m_lastAdvancedPage);
    m_store.setInteger(Keys::lastAdvancedPage, m_lastAdvancedPage);
}

void AppState::setHoverToPeekEnabled(bool value) {
    m_hoverToPeekEnabled = value;
    emit hoverToPeekEnabledChanged(m_hoverToPeekEnabled);
    m_store.setBool(Keys::hoverToPeekEnabled, m_hoverToPeekEnabled);
}

void AppState::setHoverPeekDelay(double value) {
    m_hoverPeekDelay = value;
    emit hoverPeekDelayChanged(m_hoverPeekDelay);
    m_store.setDouble(Keys::hoverPeekDelay, m_hoverPeekDelay);
}

void AppState::setDefaultOpenMode(DefaultOpenMode value) {
    m_defaultOpenMode = value;
    emit defaultOpenModeChanged(m_defaultOpenMode);
    m_store.setString(Keys::defaultOpenMode, rawValue(m_defaultOpenMode));
}

void AppState::setGesturesEnabled(bool value) {
    m_gesturesEnabled = value;
    emit gesturesEnabledChanged(m_gesturesEnabled);
    // Read at start, never written back.
}

void AppState::setAnimationIntensity(AnimationIntensity value) {
    m_animationIntensity = value;
    emit animationIntensityChanged(m_animationIntensity);
    m_store.setString(Keys::animationIntensity, rawValue(m_animationIntensity));
}

void AppState::setAutoCycleFocusOnTimerStart(bool value) {
    m_autoCycleFocusOnTimerStart = value;
    emit autoCycleFocusOnTimerStartChanged(m_autoCycleFocusOnTimerStart);
    m_store.setBool(Keys::autoCycleFocusOnTimerStart, m_autoCycleFocusOnTimerStart);
}

void AppState::setUseMaterialCards(bool value) {
    m_useMaterialCards = value;
    emit useMaterialCardsChanged(m_useMaterialCards);
    m_store.setBool(Keys::useMaterialCards, m_useMaterialCards);
}

void AppState::setHookRulePreset(HookRulePreset value) {
    m_hookRulePreset = value;
    emit hookRulePresetChanged(m_hookRulePreset);
    m_store.setString(Keys::hookRulePreset, rawValue(m_hookRulePreset));
}

void AppState::setAllowClaudeHookInstall(bool value) {
    m_allowClaudeHookInstall = value;
    emit allowClaudeHookInstallChanged(m_allowClaudeHookInstall);
    m_store.setBool(Keys::allowClaudeHookInstall, m_allowClaudeHookInstall);
}

void AppState::setAllowCodexHookInstall(bool value) {
    m_allowCodexHookInstall = value;
    emit allowCodexHookInstallChanged(m_allowCodexHookInstall);
    m_store.setBool(Keys::allowCodexHookInstall, m_allowCodexHookInstall);
}

void AppState::setShowOtherHookClients(bool value) {
    m_showOtherHookClients = value;
    emit showOtherHookClientsChanged(m_showOtherHookClients);
    m_store.setBool(Keys::showOtherHookClients, m_showOtherHookClients);
}

void AppState::setNotificationsMuted(bool value) {
    m_notificationsMuted = value;
    emit notificationsMutedChanged(m_notificationsMuted);
    m_store.setBool(Keys::notificationsMuted, m_notificationsMuted);
}

void AppState::setAiHooksStatusFilter(AIHooksStatusFilter value) {
    m_aiHooksStatusFilter = value;
    emit aiHooksStatusFilterChanged(m_aiHooksStatusFilter);
    m_store.setString(Keys::aiHooksStatusFilter, rawValue(m_aiHooksStatusFilter));
}

void AppState::setAiHooksSourceFilter(AIHooksSourceFilter value) {
    m_aiHooksSourceFilter = value;
    emit aiHooksSourceFilterChanged(m_aiHooksSourceFilter);
    m_store.setString(Keys::aiHooksSourceFilter, rawValue(m_aiHooksSourceFilter));
}

void AppState::setHaloMode(HaloMode value) {
    m_haloMode = value;
    emit haloModeChanged(m_haloMode);
    m_store.setString(Keys::haloMode, rawValue(m_haloMode));
}

void AppState::setHaloOnMedia(bool value) {
    m_haloOnMedia = value;
    emit haloOnMediaChanged(m_haloOnMedia);
    m_store.setBool(Keys::haloOnMedia, m_haloOnMedia);
}

void AppState::setHaloOnHooks(bool value) {
    m_haloOnHooks = value;
    emit haloOnHooksChanged(m_haloOnHooks);
    m_store.setBool(Keys::haloOnHooks, m_haloOnHooks);
}
