#pragma once

#include <QObject>

class QSocketNotifier;

// Turns the signals that ask a program to end (SIGTERM at logout or from a service manager,
// SIGINT from a terminal, SIGHUP when the terminal goes) into a Qt signal on the thread that
// made the object, so that the program quits through its normal path instead of being killed
// mid-write. The handler only writes a byte to a pipe; everything else runs in the event loop.
// One object per process; while it lives, these signals no longer end the process by themselves.
class LinuxQuitSignals : public QObject {
    Q_OBJECT
public:
    explicit LinuxQuitSignals(QObject* parent = nullptr);
    // Restores the default handling of the three signals.
    ~LinuxQuitSignals() override;
    LinuxQuitSignals(const LinuxQuitSignals&) = delete;
    LinuxQuitSignals& operator=(const LinuxQuitSignals&) = delete;

    // False when the pipe or a handler could not be set up; the signals then keep their default.
    bool isInstalled() const { return m_installed; }

signals:
    // One of the three signals arrived; its number.
    void received(int signalNumber);

private:
    void drain();

    QSocketNotifier* m_notifier = nullptr;
    bool m_installed = false;
};
