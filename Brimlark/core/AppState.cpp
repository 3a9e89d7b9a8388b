#include "Brimlark/core/AppState.h"

#include "Brimlark/core/EnumText.h"
#include "platform/UserDefaults.h"

#include <QVariantMap>

#include <algorithm>
#include <climits>
#include <type_traits>
#include <variant>
#include <vector>

namespace {

// A setting's value in the form the store keeps: integers as qint64, enumerations as their raw
// text, Booleans and doubles as they are.
template <typename T> QVariant storedForm(T value) {
    if constexpr (std::is_enum_v<T>)
        return rawValue(value);
    else if constexpr (std::is_same_v<T, int>)
        return qint64(value);
    else
        return value;
}

// The stored value made into the setting's type. Integers are clamped to the int range; an
// enumeration text that names no case, or is missing, gives the default.
template <typename T> T readStored(const UserDefaults& store, const QString& key, T fallback) {
    if constexpr (std::is_enum_v<T>) {
        const std::optional<QString> text = store.string(key);
        return enumFromRawValue<T>(text.value_or(rawValue(fallback))).value_or(fallback);
    } else if constexpr (std::is_same_v<T, int>) {
        return int(qBound(qint64(INT_MIN), store.integer(key), qint64(INT_MAX)));
    } else if constexpr (std::is_same_v<T, double>) {
        return store.doubleValue(key);
    } else {
        static_assert(std::is_same_v<T, bool>);
        return store.boolValue(key);
    }
}

template <typename T> void writeStored(UserDefaults& store, const QString& key, T value) {
    if constexpr (std::is_enum_v<T>)
        store.setString(key, rawValue(value));
    else if constexpr (std::is_same_v<T, int>)
        store.setInteger(key, value);
    else if constexpr (std::is_same_v<T, double>)
        store.setDouble(key, value);
    else
        store.setBool(key, value);
}

} // namespace

// The settings table: every setting once, with its key, its default and whether assignments are
// written to the store. Nested in AppState so that its rows may name the private fields.
struct AppState::Table {
    template <typename T> struct Row {
        QString key;
        T AppState::*field;
        T fallback;
        bool written = true;
    };
    using AnyRow =
        std::variant<Row<int>, Row<bool>, Row<double>, Row<DefaultOpenMode>, Row<AnimationIntensity>,
                     Row<HookRulePreset>, Row<AIHooksStatusFilter>, Row<AIHooksSourceFilter>, Row<HaloMode>>;

    static const std::vector<AnyRow>& rows() {
        // A function-local table, so that it is complete before any Keys constant is made from it.
        static const std::vector<AnyRow> table = {
            Row<int>{QStringLiteral("brimlark.lastAdvancedPage"), &AppState::m_lastAdvancedPage, 0},
            Row<bool>{QStringLiteral("brimlark.hoverToPeek"), &AppState::m_hoverToPeekEnabled, true},
            Row<double>{QStringLiteral("brimlark.hoverPeekDelay"), &AppState::m_hoverPeekDelay, 0.1},
            Row<DefaultOpenMode>{QStringLiteral("brimlark.defaultOpenMode"), &AppState::m_defaultOpenMode,
                                 DefaultOpenMode::basic},
            // Read at start, never written back.
            Row<bool>{QStringLiteral("brimlark.gesturesEnabled"), &AppState::m_gesturesEnabled, true, false},
            Row<AnimationIntensity>{QStringLiteral("brimlark.animationIntensity"),
                                    &AppState::m_animationIntensity, AnimationIntensity::standard},
            Row<bool>{QStringLiteral("brimlark.autoCycleFocusOnTimer"),
                      &AppState::m_autoCycleFocusOnTimerStart, false},
            Row<bool>{QStringLiteral("brimlark.useMaterialCards"), &AppState::m_useMaterialCards, false},
            Row<HookRulePreset>{QStringLiteral("brimlark.hookRulePreset"), &AppState::m_hookRulePreset,
                                HookRulePreset::focused},
            Row<bool>{QStringLiteral("brimlark.allowClaudeHookInstall"), &AppState::m_allowClaudeHookInstall,
                      false},
            Row<bool>{QStringLiteral("brimlark.allowCodexHookInstall"), &AppState::m_allowCodexHookInstall,
                      false},
            Row<bool>{QStringLiteral("brimlark.showOtherHookClients"), &AppState::m_showOtherHookClients,
                      true},
            Row<bool>{QStringLiteral("brimlark.notificationsMuted"), &AppState::m_notificationsMuted, false},
            Row<AIHooksStatusFilter>{QStringLiteral("brimlark.aiHooksStatusFilter"),
                                     &AppState::m_aiHooksStatusFilter, AIHooksStatusFilter::all},
            Row<AIHooksSourceFilter>{QStringLiteral("brimlark.aiHooksSourceFilter"),
                                     &AppState::m_aiHooksSourceFilter, AIHooksSourceFilter::all},
            Row<HaloMode>{QStringLiteral("brimlark.haloMode"), &AppState::m_haloMode, HaloMode::oneShot},
            Row<bool>{QStringLiteral("brimlark.haloOnMedia"), &AppState::m_haloOnMedia, true},
            Row<bool>{QStringLiteral("brimlark.haloOnHooks"), &AppState::m_haloOnHooks, true},
        };
        return table;
    }

    // The row of `field`; every field has one.
    template <typename T> static const Row<T>& rowOf(T AppState::*field) {
        for (const AnyRow& any : rows()) {
            if (const auto* row = std::get_if<Row<T>>(&any); row && row->field == field)
                return *row;
        }
        Q_UNREACHABLE();
    }
};

const QString AppState::Keys::lastAdvancedPage = Table::rowOf(&AppState::m_lastAdvancedPage).key;
const QString AppState::Keys::hoverToPeekEnabled = Table::rowOf(&AppState::m_hoverToPeekEnabled).key;
const QString AppState::Keys::hoverPeekDelay = Table::rowOf(&AppState::m_hoverPeekDelay).key;
const QString AppState::Keys::defaultOpenMode = Table::rowOf(&AppState::m_defaultOpenMode).key;
const QString AppState::Keys::gesturesEnabled = Table::rowOf(&AppState::m_gesturesEnabled).key;
const QString AppState::Keys::animationIntensity = Table::rowOf(&AppState::m_animationIntensity).key;
const QString AppState::Keys::autoCycleFocusOnTimerStart =
    Table::rowOf(&AppState::m_autoCycleFocusOnTimerStart).key;
const QString AppState::Keys::useMaterialCards = Table::rowOf(&AppState::m_useMaterialCards).key;
const QString AppState::Keys::hookRulePreset = Table::rowOf(&AppState::m_hookRulePreset).key;
const QString AppState::Keys::allowClaudeHookInstall = Table::rowOf(&AppState::m_allowClaudeHookInstall).key;
const QString AppState::Keys::allowCodexHookInstall = Table::rowOf(&AppState::m_allowCodexHookInstall).key;
const QString AppState::Keys::showOtherHookClients = Table::rowOf(&AppState::m_showOtherHookClients).key;
const QString AppState::Keys::notificationsMuted = Table::rowOf(&AppState::m_notificationsMuted).key;
const QString AppState::Keys::aiHooksStatusFilter = Table::rowOf(&AppState::m_aiHooksStatusFilter).key;
const QString AppState::Keys::aiHooksSourceFilter = Table::rowOf(&AppState::m_aiHooksSourceFilter).key;
const QString AppState::Keys::haloMode = Table::rowOf(&AppState::m_haloMode).key;
const QString AppState::Keys::haloOnMedia = Table::rowOf(&AppState::m_haloOnMedia).key;
const QString AppState::Keys::haloOnHooks = Table::rowOf(&AppState::m_haloOnHooks).key;

AppState::AppState(UserDefaults& store, QObject* parent) : QObject(parent), m_store(store) {
    QVariantMap defaults;
    for (const Table::AnyRow& any : Table::rows())
        std::visit([&](const auto& row) { defaults.insert(row.key, storedForm(row.fallback)); }, any);
    m_store.registerDefaults(defaults);
    for (const Table::AnyRow& any : Table::rows())
        std::visit([this](const auto& row) { this->*row.field = readStored(m_store, row.key, row.fallback); },
                   any);
}

AppState& AppState::shared() {
    static AppState* instance = new AppState(UserDefaults::standard());
    return *instance;
}

// Nothing is compared: every assignment publishes and writes, even one that changes nothing. What
// is written is the field after the signal, so a value set again by an observer is the one kept.
template <typename T> void AppState::assign(T AppState::*field, T value, void (AppState::*changed)(T)) {
    this->*field = value;
    emit(this->*changed)(this->*field);
    if (const Table::Row<T>& row = Table::rowOf(field); row.written)
        writeStored(m_store, row.key, this->*field);
}

void AppState::setLastAdvancedPage(int value) {
    assign(&AppState::m_lastAdvancedPage, value, &AppState::lastAdvancedPageChanged);
}
void AppState::setHoverToPeekEnabled(bool value) {
    assign(&AppState::m_hoverToPeekEnabled, value, &AppState::hoverToPeekEnabledChanged);
}
void AppState::setHoverPeekDelay(double value) {
    assign(&AppState::m_hoverPeekDelay, value, &AppState::hoverPeekDelayChanged);
}
void AppState::setDefaultOpenMode(DefaultOpenMode value) {
    assign(&AppState::m_defaultOpenMode, value, &AppState::defaultOpenModeChanged);
}
void AppState::setGesturesEnabled(bool value) {
    assign(&AppState::m_gesturesEnabled, value, &AppState::gesturesEnabledChanged);
}
void AppState::setAnimationIntensity(AnimationIntensity value) {
    assign(&AppState::m_animationIntensity, value, &AppState::animationIntensityChanged);
}
void AppState::setAutoCycleFocusOnTimerStart(bool value) {
    assign(&AppState::m_autoCycleFocusOnTimerStart, value, &AppState::autoCycleFocusOnTimerStartChanged);
}
void AppState::setUseMaterialCards(bool value) {
    assign(&AppState::m_useMaterialCards, value, &AppState::useMaterialCardsChanged);
}
void AppState::setHookRulePreset(HookRulePreset value) {
    assign(&AppState::m_hookRulePreset, value, &AppState::hookRulePresetChanged);
}
void AppState::setAllowClaudeHookInstall(bool value) {
    assign(&AppState::m_allowClaudeHookInstall, value, &AppState::allowClaudeHookInstallChanged);
}
void AppState::setAllowCodexHookInstall(bool value) {
    assign(&AppState::m_allowCodexHookInstall, value, &AppState::allowCodexHookInstallChanged);
}
void AppState::setShowOtherHookClients(bool value) {
    assign(&AppState::m_showOtherHookClients, value, &AppState::showOtherHookClientsChanged);
}
void AppState::setNotificationsMuted(bool value) {
    assign(&AppState::m_notificationsMuted, value, &AppState::notificationsMutedChanged);
}
void AppState::setAiHooksStatusFilter(AIHooksStatusFilter value) {
    assign(&AppState::m_aiHooksStatusFilter, value, &AppState::aiHooksStatusFilterChanged);
}
void AppState::setAiHooksSourceFilter(AIHooksSourceFilter value) {
    assign(&AppState::m_aiHooksSourceFilter, value, &AppState::aiHooksSourceFilterChanged);
}
void AppState::setHaloMode(HaloMode value) {
    assign(&AppState::m_haloMode, value, &AppState::haloModeChanged);
}
void AppState::setHaloOnMedia(bool value) {
    assign(&AppState::m_haloOnMedia, value, &AppState::haloOnMediaChanged);
}
void AppState::setHaloOnHooks(bool value) {
    assign(&AppState::m_haloOnHooks, value, &AppState::haloOnHooksChanged);
}
