#pragma once

#include <QString>

#include <functional>

class QObject;

// The entry points of the audio tap module, the one shared object that links Qt Multimedia.
// LinuxAudioInput loads it at its first start, so a run that never mutes never loads Qt Multimedia
// or the sound server's client libraries behind it.
struct AudioTapModule {
    // Makes a closed tap; `stopped` runs when a running tap stops with an error (closed by then).
    QObject* (*create)(std::function<void(const QString& error)> stopped);
    // Opens the tap on the default input device: empty when it runs, else what went wrong.
    QString (*start)(QObject* tap);
    bool (*isRunning)(const QObject* tap);
    // From 0.0 to 1.0; kept for the next start while closed.
    void (*setVolume)(QObject* tap, double volume);
};

// The name of the module's exported function that answers its entry points: a
// `const AudioTapModule* (*)()`.
inline constexpr char audioTapModuleEntry[] = "brimlarkAudioTapModule";
