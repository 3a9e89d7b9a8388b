#pragma once

#include <QObject>

#include <functional>

class AppState;
class InteractionEngine;

// Binds the sixteen named global shortcuts to what they do: four steer the panel through the
// interaction engine, twelve call the coordinator's feature actions.
class KeyboardShortcutManager : public QObject {
    Q_OBJECT
public:
    enum class Name {
        toggleBasic,
        toggleAdvanced,
        nextPage,
        prevPage,
        playPause,
        nextTrack,
        prevTrack,
        muteMic,
        cycleFocus,
        toggleDND,
        timer15,
        timer30,
        timer60,
        openNotes,
        openMirror,
        launchAppBatch
    };
    Q_ENUM(Name)

    // The coordinator's feature actions.
    struct FeatureHandlers {
        std::function<void()> playPause;
        std::function<void()> nextTrack;
        std::function<void()> prevTrack;
        std::function<void()> muteMic;
        std::function<void()> cycleFocus;
        std::function<void()> toggleDND;
        std::function<void(double seconds)> startTimer;
        std::function<void()> openNotes;
        std::function<void()> openMirror;
        std::function<void()> launchAppBatch;
    };

    // Registers a key-down action for a named shortcut with the desktop's hot-key registry.
    using KeyDownRegistrar = std::function<void(Name name, std::function<void()> action)>;

    KeyboardShortcutManager(InteractionEngine& interactionEngine, AppState& appState,
                            FeatureHandlers handlers, KeyDownRegistrar registrar = {},
                            QObject* parent = nullptr);

    // Registers one key-down action per name, in declaration order. Without a registry nothing is
    // registered (and that is logged); the actions can still be run with perform().
    void start();
    // Runs the action of `name`.
    void perform(Name name);

private:
    InteractionEngine& m_interactionEngine;
    AppState& m_appState;
    FeatureHandlers m_handlers;
    KeyDownRegistrar m_registrar;
};
