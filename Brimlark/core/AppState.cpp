#include "Brimlark/core/AppState.h"

#include "Brimlark/core/EnumText.h"
#include "platform/UserDefaults.h"

#include <QVariantMap>

#include <climits>
#include <type_traits>
#include <variant>
#include <vector>

namespace {

// A value in the form the store keeps, as registered default and as written alike: integers as
// qint64, enumerations as their raw text, Booleans and doubles as they are.
template <typename T> QVariant storedForm(T value) {
    if constexpr (std::is_enum_v<T>)
        return rawValue(value);
    else if constexpr (std::is_same_v<T, int>)
        return qint64(value);
    else
        return value;
}

// The stored value made into the setting's type, the only normalisation there is: integers are
// clamped to the int range; an enumeration text that is missing or names no case gives the default.
// Doubles are kept as stored, even when not finite: their users bound them where they use them.
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

} // namespace

// The settings table: every setting once, with its key, its default and how assignments are
// written to the store. Nested in AppState so that its rows may name the private fields.
struct AppState::Table {
    enum class Write {
        atOnce,
        // Kept in the store at once and written to its file when the value settles: for a value
        // that the user changes many times a second.
        whenSettled,
        never,
    };
    template <typename T> struct Row {
        QString key;
        T AppState::*field;
        T fallback;
        Write write;
    };
    using AnyRow =
        std::variant<Row<int>, Row<bool>, Row<double>, Row<DefaultOpenMode>, Row<AnimationIntensity>,
                     Row<HookRulePreset>, Row<AIHooksStatusFilter>, Row<AIHooksSourceFilter>, Row<HaloMode>>;

    template <typename T>
    static AnyRow row(const char* key, T AppState::*field, T fallback, Write write = Write::atOnce) {
        return Row<T>{QString::fromLatin1(key), field, fallback, write};
    }

    static const std::vector<AnyRow>& rows() {
        // Made on first use, so that it is complete before any Keys constant is taken from it.
        static const std::vector<AnyRow> table = {
            // Every page change sets it; paging with a held key, many times a second.
            row("brimlark.lastAdvancedPage", &AppState::m_lastAdvancedPage, 0, Write::whenSettled),
            row("brimlark.hoverToPeek", &AppState::m_hoverToPeekEnabled, true),
            row("brimlark.hoverPeekDelay", &AppState::m_hoverPeekDelay, 0.1),
            row("brimlark.defaultOpenMode", &AppState::m_defaultOpenMode, DefaultOpenMode::basic),
            // Read at start, never written back.
            row("brimlark.gesturesEnabled", &AppState::m_gesturesEnabled, true, Write::never),
            row("brimlark.animationIntensity", &AppState::m_animationIntensity, AnimationIntensity::standard),
            row("brimlark.autoCycleFocusOnTimer", &AppState::m_autoCycleFocusOnTimerStart, false),
            row("brimlark.useMaterialCards", &AppState::m_useMaterialCards, false),
            row("brimlark.hookRulePreset", &AppState::m_hookRulePreset, HookRulePreset::focused),
            row("brimlark.allowClaudeHookInstall", &AppState::m_allowClaudeHookInstall, false),
            row("brimlark.allowCodexHookInstall", &AppState::m_allowCodexHookInstall, false),
            row("brimlark.showOtherHookClients", &AppState::m_showOtherHookClients, true),
            row("brimlark.notificationsMuted", &AppState::m_notificationsMuted, false),
            row("brimlark.aiHooksStatusFilter", &AppState::m_aiHooksStatusFilter, AIHooksStatusFilter::all),
            row("brimlark.aiHooksSourceFilter", &AppState::m_aiHooksSourceFilter, AIHooksSourceFilter::all),
            row("brimlark.haloMode", &AppState::m_haloMode, HaloMode::oneShot),
            row("brimlark.haloOnMedia", &AppState::m_haloOnMedia, true),
            row("brimlark.haloOnHooks", &AppState::m_haloOnHooks, true),
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
    template <typename T> static QString keyOf(T AppState::*field) { return rowOf(field).key; }
};

const QString AppState::Keys::lastAdvancedPage = Table::keyOf(&AppState::m_lastAdvancedPage);
const QString AppState::Keys::hoverToPeekEnabled = Table::keyOf(&AppState::m_hoverToPeekEnabled);
const QString AppState::Keys::hoverPeekDelay = Table::keyOf(&AppState::m_hoverPeekDelay);
const QString AppState::Keys::defaultOpenMode = Table::keyOf(&AppState::m_defaultOpenMode);
const QString AppState::Keys::gesturesEnabled = Table::keyOf(&AppState::m_gesturesEnabled);
const QString AppState::Keys::animationIntensity = Table::keyOf(&AppState::m_animationIntensity);
const QString AppState::Keys::autoCycleFocusOnTimerStart =
    Table::keyOf(&AppState::m_autoCycleFocusOnTimerStart);
const QString AppState::Keys::useMaterialCards = Table::keyOf(&AppState::m_useMaterialCards);
const QString AppState::Keys::hookRulePreset = Table::keyOf(&AppState::m_hookRulePreset);
const QString AppState::Keys::allowClaudeHookInstall = Table::keyOf(&AppState::m_allowClaudeHookInstall);
const QString AppState::Keys::allowCodexHookInstall = Table::keyOf(&AppState::m_allowCodexHookInstall);
const QString AppState::Keys::showOtherHookClients = Table::keyOf(&AppState::m_showOtherHookClients);
const QString AppState::Keys::notificationsMuted = Table::keyOf(&AppState::m_notificationsMuted);
const QString AppState::Keys::aiHooksStatusFilter = Table::keyOf(&AppState::m_aiHooksStatusFilter);
const QString AppState::Keys::aiHooksSourceFilter = Table::keyOf(&AppState::m_aiHooksSourceFilter);
const QString AppState::Keys::haloMode = Table::keyOf(&AppState::m_haloMode);
const QString AppState::Keys::haloOnMedia = Table::keyOf(&AppState::m_haloOnMedia);
const QString AppState::Keys::haloOnHooks = Table::keyOf(&AppState::m_haloOnHooks);

AppState::AppState(UserDefaults& store, QObject* parent) : QObject(parent), m_store(store) {
    QVariantMap defaults;
    for (const Table::AnyRow& any : Table::rows())
        std::visit([&](const auto& row) { defaults.insert(row.key, storedForm(row.fallback)); }, any);
    m_store.registerDefaults(defaults);
    for (const Table::AnyRow& any : Table::rows())
        std::visit([this](const auto& row) { this->*row.field = readStored(m_store, row.key, row.fallback); },
                   any);
    connect(&m_store, &UserDefaults::saveErrorChanged, this, &AppState::saveErrorChanged);
}

QString AppState::saveError() const {
    return m_store.saveError();
}

QString AppState::setAsidePath() const {
    return m_store.quarantinedPath();
}

QString AppState::setAsideLine() const {
    const QString path = setAsidePath();
    if (path.isEmpty())
        return {};
    return QStringLiteral("the settings file could not be read, so brimlark started from its defaults (the "
                          "shelf, the app batch, recorded shortcuts and the tools' folder access among "
                          "them); the old file is kept as %1")
        .arg(path);
}

// Nothing is compared: every assignment publishes and writes, even one that changes nothing. What
// is written is the field after the signal, so a value set again by an observer is the one kept.
template <typename T> void AppState::assign(T AppState::*field, T value, void (AppState::*changed)(T)) {
    this->*field = value;
    emit(this->*changed)(this->*field);
    const Table::Row<T>& row = Table::rowOf(field);
    switch (row.write) {
    case Table::Write::atOnce:
        m_store.setValue(row.key, storedForm(this->*field));
        break;
    case Table::Write::whenSettled:
        m_store.setValueLater(row.key, storedForm(this->*field));
        break;
    case Table::Write::never:
        break;
    }
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
