#include "platform/linux/media/LinuxAudioInput.h"

#include "platform/linux/PluginModule.h"
#include "platform/linux/media/AudioTapModule.h"

#include <QPointer>

LinuxAudioInput::LinuxAudioInput(const QString& modulePath, QObject* parent)
    : AudioInput(parent), m_modulePath(modulePath) {}

LinuxAudioInput::~LinuxAudioInput() {
    delete m_tap;
}

QString LinuxAudioInput::loadModule() {
    if (m_module)
        return QString();
    // Never unloaded: the tap's code must outlive every queued call into it.
    const QStringList candidates = m_modulePath.isEmpty()
                                       ? pluginModuleCandidates(QStringLiteral("libbrimlark_audio_tap.so"))
                                       : QStringList{m_modulePath};
    const PluginModuleEntry loaded = loadPluginModuleEntry(candidates, audioTapModuleEntry);
    if (!loaded.function)
        return QStringLiteral("the audio module could not be loaded: %1").arg(loaded.error);
    using Entry = const AudioTapModule* (*)();
    m_module = reinterpret_cast<Entry>(loaded.function)();
    return QString();
}

QString LinuxAudioInput::start() {
    if (const QString problem = loadModule(); !problem.isEmpty())
        return problem;
    if (!m_tap) {
        QPointer<LinuxAudioInput> self(this);
        m_tap = m_module->create([self](const QString& error) {
            if (self)
                emit self->stopped(error);
        });
        m_module->setVolume(m_tap, m_volume);
    }
    return m_module->start(m_tap);
}

bool LinuxAudioInput::isRunning() const {
    return m_tap && m_module->isRunning(m_tap);
}

void LinuxAudioInput::setVolume(double volume) {
    m_volume = volume;
    if (m_tap)
        m_module->setVolume(m_tap, volume);
}
