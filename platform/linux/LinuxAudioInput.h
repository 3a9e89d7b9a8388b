#pragma once

#include "platform/AudioInput.h"

class QAudioSource;
class QFile;

// The tap through Qt Multimedia: a QAudioSource on the default input device, in the device's
// preferred format, writing into the null device. Its Qt Multimedia objects (and the media
// backend behind them) are made at the first start(), never before.
class LinuxAudioInput final : public AudioInput {
    Q_OBJECT
public:
    using AudioInput::AudioInput;
    ~LinuxAudioInput() override;

    QString start() override;
    bool isRunning() const override { return m_source != nullptr; }
    void setVolume(double volume) override;

    // Frames the source hands over at a time.
    static constexpr int framesPerBuffer = 1024;

private:
    void close();

    QAudioSource* m_source = nullptr;
    QFile* m_sink = nullptr;
    double m_volume = 1.0;
};
