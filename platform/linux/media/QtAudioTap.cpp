#include "platform/linux/media/QtAudioTap.h"

#include "platform/AudioInput.h"
#include "platform/linux/media/AudioTapModule.h"

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

QtAudioTap::QtAudioTap(std::function<void(const QString&)> stopped) : m_stopped(std::move(stopped)) {}

QtAudioTap::~QtAudioTap() {
    // Stops the source, then drops the device it writes into.
    delete m_source;
}

QString QtAudioTap::start() {
    if (m_source)
        return QString();
    const QAudioDevice device = QMediaDevices::defaultAudioInput();
    if (device.isNull())
        return AudioInput::noDeviceError();
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
        if (m_stopped)
            m_stopped(problem);
    });
    m_source->start(m_sink);
    if (m_source->error() != QAudio::NoError) {
        const QString problem = errorText(m_source->error());
        close();
        return problem;
    }
    return QString();
}

void QtAudioTap::setVolume(double volume) {
    m_volume = volume;
    if (m_source)
        m_source->setVolume(volume);
}

void QtAudioTap::close() {
    if (!m_source)
        return;
    m_source->disconnect(this);
    m_source->stop();
    m_sink = nullptr;
    // Called from the source's own signal too: it goes once control has left it.
    std::exchange(m_source, nullptr)->deleteLater();
}

extern "C" Q_DECL_EXPORT const AudioTapModule* brimlarkAudioTapModule() {
    static const AudioTapModule module{
        [](std::function<void(const QString&)> stopped) -> QObject* {
            return new QtAudioTap(std::move(stopped));
        },
        [](QObject* tap) { return static_cast<QtAudioTap*>(tap)->start(); },
        [](const QObject* tap) { return static_cast<const QtAudioTap*>(tap)->isRunning(); },
        [](QObject* tap, double volume) { static_cast<QtAudioTap*>(tap)->setVolume(volume); },
    };
    return &module;
}
