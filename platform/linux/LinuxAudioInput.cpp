#include "platform/linux/LinuxAudioInput.h"

#include "platform/PlatformLog.h"
#include "platform/linux/AudioTapModule.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>
#include <QPointer>

namespace {

QString defaultModulePath() {
    const QString beside =
        QCoreApplication::applicationDirPath() + QStringLiteral("/libbrimlark_audio_tap.so");
    return QFileInfo::exists(beside) ? beside : QStringLiteral(BRIMLARK_AUDIO_TAP_MODULE);
}

} // namespace

LinuxAudioInput::LinuxAudioInput(const QString& modulePath, QObject* parent)
    : AudioInput(parent), m_modulePath(modulePath) {}

LinuxAudioInput::~LinuxAudioInput() {
    delete m_tap;
}

QString LinuxAudioInput::loadModule() {
    if (m_module)
        return QString();
    const QString path = m_modulePath.isEmpty() ? defaultModulePath() : m_modulePath;
    // Never unloaded: the tap's code must outlive every queued call into it.
    QLibrary library(path);
    using Entry = const AudioTapModule* (*)();
    const auto entry = reinterpret_cast<Entry>(library.resolve(audioTapModuleEntry));
    if (!entry)
        return QStringLiteral("the audio module could not be loaded: %1").arg(library.errorString());
    m_module = entry();
    qCDebug(lcPlatform, "audio tap module loaded from %s", qUtf8Printable(path));
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
