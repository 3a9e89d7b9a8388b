#pragma once

#include "platform/AudioInput.h"

#include <QList>

// Opens nothing: counts the starts, records the volumes set and fails when a test says so.
class FakeAudioInput final : public AudioInput {
    Q_OBJECT
public:
    using AudioInput::AudioInput;

    QString start() override {
        ++starts;
        if (!running && startError.isEmpty())
            running = true;
        return running ? QString() : startError;
    }
    bool isRunning() const override { return running; }
    void setVolume(double volume) override { volumes.append(volume); }

    // The running tap stops with `error`, as a device that goes away would.
    void fail(const QString& error) {
        running = false;
        emit stopped(error);
    }

    // What start() answers while it is not running; empty for success.
    QString startError;
    int starts = 0;
    bool running = false;
    QList<double> volumes;
};
