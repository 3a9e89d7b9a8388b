#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

class AudioInput;
class Permissions;
class ShortcutsRunner;
class Workspace;

// The microphone-mute toggle: through the user's mute shortcut, or by muting the program's own
// audio input.
class MicMuteService : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isMuted READ isMuted NOTIFY isMutedChanged)
    Q_PROPERTY(Mode mode READ mode WRITE setMode NOTIFY modeChanged)
    Q_PROPERTY(bool engineRunning READ engineRunning NOTIFY engineRunningChanged)
    Q_PROPERTY(QString problem READ problem NOTIFY problemChanged)
public:
    enum class Mode { appAudio, shortcut };
    Q_ENUM(Mode)

    static const QStringList toggleMicNames;

    // The input tap is opened at the first application-audio toggle, not here.
    MicMuteService(ShortcutsRunner& runner, Workspace& workspace, Permissions& permissions,
                   AudioInput& audioInput, QObject* parent = nullptr);

    // The process-wide service, created on first use.
    static MicMuteService& shared();

    bool isMuted() const { return m_isMuted; }
    Mode mode() const { return m_mode; }
    void setMode(Mode mode);
    // The input tap is open; once open it stays open, and unmuting only raises its volume again.
    bool engineRunning() const { return m_engineRunning; }

    // Why the last toggle muted nothing, or why a mute no longer holds, as the user is told it
    // ("no microphone found"); empty once a toggle worked.
    QString problem() const { return m_problem; }
    static QString problemText(const QString& inputError);

    // Flips the mute state; `done` (optional) gets true when it changed.
    void toggle(std::function<void(bool changed)> done = {});

signals:
    void isMutedChanged(bool muted);
    void modeChanged(Mode mode);
    void engineRunningChanged(bool running);
    void problemChanged(const QString& problem);

private:
    void toggleAppAudio(std::function<void(bool)> done);
    bool ensureEngine();
    void setMuted(bool muted);
    void setEngineRunning(bool running);
    void setProblem(const QString& problem);

    ShortcutsRunner& m_runner;
    Workspace& m_workspace;
    Permissions& m_permissions;
    AudioInput& m_audioInput;
    bool m_isMuted = false;
    Mode m_mode = Mode::appAudio;
    bool m_engineRunning = false;
    QString m_problem;
};
