#pragma once

#include "Brimlark/core/HaloMode.h"

#include <QObject>
#include <QString>

class UserDefaults;

// The program's settings: eighteen values, each mirrored to a "brimlark." key of the defaults
// store. Values are read once at construction; every assignment publishes the value (the change
// signal fires on every assignment, as observers expect) and stores it, even when it did not
// change. The store writes its file at once, except for lastAdvancedPage, which it writes when
// paging pauses and at quit at the latest. gesturesEnabled alone is read at start and never
// written.
class AppState : public QObject {
    Q_OBJECT
public:
    enum class DefaultOpenMode { basic, advanced };
    Q_ENUM(DefaultOpenMode)
    enum class AnimationIntensity { reduced, standard, expressive };
    Q_ENUM(AnimationIntensity)
    enum class HookRulePreset { approvalsOnly, focused, fullFeed };
    Q_ENUM(HookRulePreset)
    enum class AIHooksStatusFilter { all, asking, working, finished, error };
    Q_ENUM(AIHooksStatusFilter)
    enum class AIHooksSourceFilter { all, claude, codex, other };
    Q_ENUM(AIHooksSourceFilter)

    Q_PROPERTY(
        int lastAdvancedPage READ lastAdvancedPage WRITE setLastAdvancedPage NOTIFY lastAdvancedPageChanged)
    Q_PROPERTY(bool hoverToPeekEnabled READ hoverToPeekEnabled WRITE setHoverToPeekEnabled NOTIFY
                   hoverToPeekEnabledChanged)
    Q_PROPERTY(double hoverPeekDelay READ hoverPeekDelay WRITE setHoverPeekDelay NOTIFY hoverPeekDelayChanged)
    Q_PROPERTY(DefaultOpenMode defaultOpenMode READ defaultOpenMode WRITE setDefaultOpenMode NOTIFY
                   defaultOpenModeChanged)
    Q_PROPERTY(
        bool gesturesEnabled READ gesturesEnabled WRITE setGesturesEnabled NOTIFY gesturesEnabledChanged)
    Q_PROPERTY(AnimationIntensity animationIntensity READ animationIntensity WRITE setAnimationIntensity
                   NOTIFY animationIntensityChanged)
    Q_PROPERTY(bool autoCycleFocusOnTimerStart READ autoCycleFocusOnTimerStart WRITE
                   setAutoCycleFocusOnTimerStart NOTIFY autoCycleFocusOnTimerStartChanged)
    Q_PROPERTY(
        bool useMaterialCards READ useMaterialCards WRITE setUseMaterialCards NOTIFY useMaterialCardsChanged)
    Q_PROPERTY(HookRulePreset hookRulePreset READ hookRulePreset WRITE setHookRulePreset NOTIFY
                   hookRulePresetChanged)
    Q_PROPERTY(bool allowClaudeHookInstall READ allowClaudeHookInstall WRITE setAllowClaudeHookInstall NOTIFY
                   allowClaudeHookInstallChanged)
    Q_PROPERTY(bool allowCodexHookInstall READ allowCodexHookInstall WRITE setAllowCodexHookInstall NOTIFY
                   allowCodexHookInstallChanged)
    Q_PROPERTY(bool showOtherHookClients READ showOtherHookClients WRITE setShowOtherHookClients NOTIFY
                   showOtherHookClientsChanged)
    Q_PROPERTY(bool notificationsMuted READ notificationsMuted WRITE setNotificationsMuted NOTIFY
                   notificationsMutedChanged)
    Q_PROPERTY(AIHooksStatusFilter aiHooksStatusFilter READ aiHooksStatusFilter WRITE setAiHooksStatusFilter
                   NOTIFY aiHooksStatusFilterChanged)
    Q_PROPERTY(AIHooksSourceFilter aiHooksSourceFilter READ aiHooksSourceFilter WRITE setAiHooksSourceFilter
                   NOTIFY aiHooksSourceFilterChanged)
    Q_PROPERTY(HaloModes::HaloMode haloMode READ haloMode WRITE setHaloMode NOTIFY haloModeChanged)
    Q_PROPERTY(bool haloOnMedia READ haloOnMedia WRITE setHaloOnMedia NOTIFY haloOnMediaChanged)
    // Why the settings file could not be written last time, or empty; any setting written through
    // the same store (quick actions, mirror, shortcuts) counts.
    Q_PROPERTY(QString saveError READ saveError NOTIFY saveErrorChanged)
    // Where the store kept a settings file it could not read (it then started from the defaults),
    // or empty.
    Q_PROPERTY(QString setAsidePath READ setAsidePath CONSTANT)
    Q_PROPERTY(bool haloOnHooks READ haloOnHooks WRITE setHaloOnHooks NOTIFY haloOnHooksChanged)

public:
    // The keys of the defaults store.
    struct Keys {
        static const QString lastAdvancedPage;
        static const QString hoverToPeekEnabled;
        static const QString hoverPeekDelay;
        static const QString defaultOpenMode;
        static const QString gesturesEnabled;
        static const QString animationIntensity;
        static const QString autoCycleFocusOnTimerStart;
        static const QString useMaterialCards;
        static const QString hookRulePreset;
        static const QString allowClaudeHookInstall;
        static const QString allowCodexHookInstall;
        static const QString showOtherHookClients;
        static const QString notificationsMuted;
        static const QString aiHooksStatusFilter;
        static const QString aiHooksSourceFilter;
        static const QString haloMode;
        static const QString haloOnMedia;
        static const QString haloOnHooks;
    };

    // Registers the defaults on `store` and reads every value from it.
    explicit AppState(UserDefaults& store, QObject* parent = nullptr);

    // The process-wide settings over the standard defaults store, created on first use.
    static AppState& shared();

    int lastAdvancedPage() const { return m_lastAdvancedPage; }
    bool hoverToPeekEnabled() const { return m_hoverToPeekEnabled; }
    double hoverPeekDelay() const { return m_hoverPeekDelay; }
    DefaultOpenMode defaultOpenMode() const { return m_defaultOpenMode; }
    bool gesturesEnabled() const { return m_gesturesEnabled; }
    AnimationIntensity animationIntensity() const { return m_animationIntensity; }
    bool autoCycleFocusOnTimerStart() const { return m_autoCycleFocusOnTimerStart; }
    bool useMaterialCards() const { return m_useMaterialCards; }
    HookRulePreset hookRulePreset() const { return m_hookRulePreset; }
    bool allowClaudeHookInstall() const { return m_allowClaudeHookInstall; }
    bool allowCodexHookInstall() const { return m_allowCodexHookInstall; }
    bool showOtherHookClients() const { return m_showOtherHookClients; }
    bool notificationsMuted() const { return m_notificationsMuted; }
    AIHooksStatusFilter aiHooksStatusFilter() const { return m_aiHooksStatusFilter; }
    AIHooksSourceFilter aiHooksSourceFilter() const { return m_aiHooksSourceFilter; }
    HaloMode haloMode() const { return m_haloMode; }
    bool haloOnMedia() const { return m_haloOnMedia; }
    bool haloOnHooks() const { return m_haloOnHooks; }

    void setLastAdvancedPage(int value);
    void setHoverToPeekEnabled(bool value);
    void setHoverPeekDelay(double value);
    void setDefaultOpenMode(DefaultOpenMode value);
    void setGesturesEnabled(bool value);
    void setAnimationIntensity(AnimationIntensity value);
    void setAutoCycleFocusOnTimerStart(bool value);
    void setUseMaterialCards(bool value);
    void setHookRulePreset(HookRulePreset value);
    void setAllowClaudeHookInstall(bool value);
    void setAllowCodexHookInstall(bool value);
    void setShowOtherHookClients(bool value);
    void setNotificationsMuted(bool value);
    void setAiHooksStatusFilter(AIHooksStatusFilter value);
    void setAiHooksSourceFilter(AIHooksSourceFilter value);
    void setHaloMode(HaloMode value);
    void setHaloOnMedia(bool value);
    void setHaloOnHooks(bool value);

    QString saveError() const;
    QString setAsidePath() const;
    // What the user is told when the settings file could not be read: that every setting is back
    // at its default and where the old file is. Empty when the file was read.
    QString setAsideLine() const;

signals:
    void lastAdvancedPageChanged(int value);
    void hoverToPeekEnabledChanged(bool value);
    void hoverPeekDelayChanged(double value);
    void defaultOpenModeChanged(DefaultOpenMode value);
    void gesturesEnabledChanged(bool value);
    void animationIntensityChanged(AnimationIntensity value);
    void autoCycleFocusOnTimerStartChanged(bool value);
    void useMaterialCardsChanged(bool value);
    void hookRulePresetChanged(HookRulePreset value);
    void allowClaudeHookInstallChanged(bool value);
    void allowCodexHookInstallChanged(bool value);
    void showOtherHookClientsChanged(bool value);
    void notificationsMutedChanged(bool value);
    void aiHooksStatusFilterChanged(AIHooksStatusFilter value);
    void aiHooksSourceFilterChanged(AIHooksSourceFilter value);
    void haloModeChanged(HaloMode value);
    void haloOnMediaChanged(bool value);
    void haloOnHooksChanged(bool value);
    void saveErrorChanged(const QString& error);

private:
    struct Table;

    // Stores `value` in `field`, publishes it through `changed` and, unless the field's row in the
    // settings table says otherwise, writes it under the field's key.
    template <typename T> void assign(T AppState::*field, T value, void (AppState::*changed)(T));

    UserDefaults& m_store;
    // Each field is read from the store, through the settings table, at construction.
    int m_lastAdvancedPage{};
    bool m_hoverToPeekEnabled{};
    double m_hoverPeekDelay{};
    DefaultOpenMode m_defaultOpenMode{};
    bool m_gesturesEnabled{};
    AnimationIntensity m_animationIntensity{};
    bool m_autoCycleFocusOnTimerStart{};
    bool m_useMaterialCards{};
    HookRulePreset m_hookRulePreset{};
    bool m_allowClaudeHookInstall{};
    bool m_allowCodexHookInstall{};
    bool m_showOtherHookClients{};
    bool m_notificationsMuted{};
    AIHooksStatusFilter m_aiHooksStatusFilter{};
    AIHooksSourceFilter m_aiHooksSourceFilter{};
    HaloMode m_haloMode{};
    bool m_haloOnMedia{};
    bool m_haloOnHooks{};
};
