#include "Brimlark/controls/MicMuteService.h"

#include "Brimlark/controls/ShortcutsRunner.h"
#include "Brimlark/core/Logging.h"
#include "platform/AudioInput.h"
#include "platform/Permissions.h"
#include "platform/Workspace.h"

#include <QPointer>

const QStringList MicMuteService::toggleMicNames = {
    QStringLiteral("Brimlark.ToggleMic"),
    QStringLiteral("brimlark.togglemic"),
    QStringLiteral("Brimlark.ToggleMIC"),
};

MicMuteService::MicMuteService(ShortcutsRunner& runner, Workspace& workspace, Permissions& permissions,
                               AudioInput& audioInput, QObject* parent)
    : QObject(parent), m_runner(runner), m_workspace(workspace), m_permissions(permissions),
      m_audioInput(audioInput) {
    // A tap that dies (the device went away) is opened anew by the next toggle. What it muted is
    // gone with it, so the microphone no longer shows as muted.
    connect(&m_audioInput, &AudioInput::stopped, this, [this](const QString& error) {
        qCCritical(lcServices, "mic engine failed: %s", qUtf8Printable(error));
        setEngineRunning(false);
        setProblem(problemText(error));
        if (m_isMuted && m_mode == Mode::appAudio)
            setMuted(false);
    });
}

QString MicMuteService::problemText(const QString& inputError) {
    if (inputError == AudioInput::noDeviceError())
        return QStringLiteral("no microphone found");
    return QStringLiteral("the microphone could not be used: %1").arg(inputError);
}

void MicMuteService::setProblem(const QString& problem) {
    if (m_problem == problem)
        return;
    m_problem = problem;
    emit problemChanged(problem);
}

void MicMuteService::setMode(Mode mode) {
    if (m_mode == mode)
        return;
    m_mode = mode;
    emit modeChanged(mode);
}

void MicMuteService::setEngineRunning(bool running) {
    if (m_engineRunning == running)
        return;
    m_engineRunning = running;
    emit engineRunningChanged(running);
}

void MicMuteService::setMuted(bool muted) {
    m_isMuted = muted;
    emit isMutedChanged(muted);
}

void MicMuteService::toggle(std::function<void(bool)> done) {
    if (m_mode != Mode::shortcut) {
        toggleAppAudio(std::move(done));
        return;
    }
    m_runner.runShortcutCandidates(toggleMicNames, std::nullopt, this, [this, done](int status) {
        if (status == 0) {
            setProblem(QString());
            setMuted(!m_isMuted);
            if (done)
                done(true);
            return;
        }
        qCCritical(lcServices, "toggle mic shortcut failed with status %d; falling back to app audio mute",
                   status);
        setMode(Mode::appAudio);
        m_workspace.openShortcutsApplication();
        toggleAppAudio(done);
    });
}

void MicMuteService::toggleAppAudio(std::function<void(bool)> done) {
    auto finish = [done](bool changed) {
        if (done)
            done(changed);
    };
    const PermissionStatus status = m_permissions.captureStatus(CaptureDevice::audio);
    if (status == PermissionStatus::restricted || status == PermissionStatus::denied) {
        qCCritical(lcServices, "microphone permission denied");
        setProblem(QStringLiteral("microphone access denied"));
        finish(false);
        return;
    }
    if (status == PermissionStatus::notDetermined) {
        // No context: `finish` answers (false) also when the service is gone by then.
        QPointer<MicMuteService> self(this);
        m_permissions.requestCaptureAccess(CaptureDevice::audio, nullptr, [self, finish](bool granted) {
            if (self && granted)
                self->toggleAppAudio(finish);
            else
                finish(false);
        });
        return;
    }
    if (status != PermissionStatus::authorized) {
        finish(false);
        return;
    }
    // The tap opens before the flag flips: a tap that cannot open has muted nothing, so the
    // microphone must not show as muted.
    if (!ensureEngine()) {
        finish(false);
        return;
    }
    setProblem(QString());
    setMuted(!m_isMuted);
    m_audioInput.setVolume(m_isMuted ? 0.0 : 1.0);
    finish(true);
}

bool MicMuteService::ensureEngine() {
    if (m_engineRunning)
        return true;
    const QString error = m_audioInput.start();
    if (!error.isEmpty()) {
        qCCritical(lcServices, "mic engine failed: %s", qUtf8Printable(error));
        setProblem(problemText(error));
        return false;
    }
    setEngineRunning(true);
    return true;
}
