#pragma once

#include <QObject>
#include <QString>

// The program's own audio input: a tap on the default input device whose samples are read and
// dropped, with a volume. Nothing is opened, and no audio object exists, before the first start().
class AudioInput : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~AudioInput() override = default;

    // Opens the tap on the default input device. Returns an empty text when it runs (also when it
    // was running already), else what went wrong (no input device, the device would not open);
    // after a failure nothing is left open, and the next start tries anew.
    virtual QString start() = 0;
    // What start() answers when the desktop has no audio input device at all.
    static QString noDeviceError() { return QStringLiteral("no audio input device"); }
    // Whether the tap is open and reading.
    virtual bool isRunning() const = 0;
    // The input's volume, from 0.0 (silent) to 1.0; kept for the next start when not running.
    virtual void setVolume(double volume) = 0;

signals:
    // The running tap stopped with an error and was closed; start() may open it again.
    void stopped(const QString& error);
};
