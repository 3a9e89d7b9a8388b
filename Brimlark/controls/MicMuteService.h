#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

class Permissions;
class ShortcutsRunner;
class Workspace;

// The microphone-mute toggle: through the user's mute shortcut, or by muting the program's own
// audio input.
class MicMuteService : public QObject {
    Q_OBJECT
public:
    enum class Mode { appAudio, shortcut };
    Q_ENUM(Mode)

    static const QStringList toggleMicNames;

    MicMuteService(ShortcutsRunner& runner, Workspace& workspace, Permissions& permissions,
                   QObject* parent = nullptr);

    // The process-wide service, created on first use.
    static MicMuteService& shared();

    bool isMuted() const { return m_isMuted; }
    Mode mode() const { return m_mode; }
    void setMode(Mode mode);

    // Flips the mute state; `done` (optional) gets true when it changed.
    void toggle(std::function<void(bool changed)> done = {});

signals:
    void isMutedChanged(bool muted);
    void modeChanged(Mode mode);

private:
    void toggleAppAudio(std::function<void(bool)> done);
    void setMuted(bool muted);

    ShortcutsRunner& m_runner;
    Workspace& m_workspace;
    Permissions& m_permissions;
    bool m_isMuted = false;
    Mode m_mode = Mode::appAudio;
};
