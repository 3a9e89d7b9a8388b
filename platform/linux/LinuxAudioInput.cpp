#include "platform/linux/LinuxAudioInput.h"

#include "platform/PlatformLog.h"

#include <QAudioDevice>
#include <QAudioSource>
#include <QFile>
#include <QMediaDevices>

#include <utility>

namespace {

QString errorText(QAudio::Error error) {
    switch (error) {
    case QAudio::NoError:
        break;
    case QAudio::OpenError:
        return QStringLiteral("the audio input could not be opened");
    case QAudio::IOError:
        return QStringLiteral("reading the audio input failed");
    case QAudio::UnderrunError:
        return QStringLiteral("the audio input ran dry");
    case QAudio::FatalError:
        return QStringLiteral("the audio input failed");
    }
    return QString();
}

} // namespace

LinuxAudioInput::~LinuxAudioInput() {
    // Stops the source, then drops the device it writes into.
    delete m_source;
}

QString LinuxAudioInput::start() {
    if (m_source)
        return QString();
    const QAudioDevice device = QMediaDevices::defaultAudioInput();
    if (device.isNull())
        return QStringLiteral("no audio input device");
    const QAudioFormat format = device.preferredFormat();
    m_source = new QAudioSource(device, format);
    // The source owns the device it writes into, so the device outlives its last write.
    m_sink = new QFile(QStringLiteral("/dev/null"), m_source);
    if (!m_sink->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        const QString problem =
            QStringLiteral("the null device could not be opened: %1").arg(m_sink->errorString());
        close();
        return problem;
    }
    m_source->setBufferSize(format.bytesForFrames(framesPerBuffer));
    m_source->setVolume(m_volume);
    connect(m_source, &QAudioSource::stateChanged, this, [this](QAudio::State state) {
        if (state != QAudio::StoppedState || !m_source || m_source->error() == QAudio::NoError)
            return;
        const QString problem = errorText(m_source->error());
        close();
        emit stopped(problem);
    });
    m_source->start(m_sink);
    if (m_source->error() != QAudio::NoError) {
        const QString problem = errorText(m_source->error());
        close();
        return problem;
    }
    qCDebug(lcPlatform, "audio input tap on \"%s\"", qUtf8Printable(device.description()));
    return QString();
}

void LinuxAudioInput::setVolume(double volume) {
    m_volume = volume;
    if (m_source)
        m_source->setVolume(volume);
}

void LinuxAudioInput::close() {
    if (!m_source)
        return;
    m_source->disconnect(this);
    m_source->stop();
    m_sink = nullptr;
    // Called from the source's own signal too: it goes once control has left it.
    std::exchange(m_source, nullptr)->deleteLater();
}
