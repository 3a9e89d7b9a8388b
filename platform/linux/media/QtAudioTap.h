#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QAudioSource;
class QFile;

// The audio tap of the audio tap module: a QAudioSource on the default input device, in the
// device's preferred format, writing into the null device.
class QtAudioTap : public QObject {
public:
    explicit QtAudioTap(std::function<void(const QString& error)> stopped);
    ~QtAudioTap() override;

    // Empty when the tap runs (also when it ran already), else what went wrong; a failed start
    // leaves nothing open.
    QString start();
    bool isRunning() const { return m_source != nullptr; }
    void setVolume(double volume);

    // Frames the source hands over at a time.
    static constexpr int framesPerBuffer = 1024;

private:
    void close();

    std::function<void(const QString&)> m_stopped;
    QAudioSource* m_source = nullptr;
    QFile* m_sink = nullptr;
    double m_volume = 1.0;
};
