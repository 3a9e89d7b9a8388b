#pragma once

#include "platform/AudioInput.h"

struct AudioTapModule;

// The audio input through Qt Multimedia, which lives in the audio tap module (AudioTapModule.h).
// The module is loaded, and its tap made, at the first start(); until then nothing of Qt
// Multimedia is loaded. The module stays loaded for the rest of the process.
class LinuxAudioInput final : public AudioInput {
    Q_OBJECT
public:
    // `modulePath`: the module to load; empty for the one beside the executable or, when there is
    // none, the one this build made.
    explicit LinuxAudioInput(const QString& modulePath = QString(), QObject* parent = nullptr);
    ~LinuxAudioInput() override;

    // Also fails, with the loader's reason, when the module cannot be loaded.
    QString start() override;
    bool isRunning() const override;
    void setVolume(double volume) override;

private:
    QString loadModule();

    QString m_modulePath;
    const AudioTapModule* m_module = nullptr;
    QObject* m_tap = nullptr;
    double m_volume = 1.0;
};
