#pragma once

#include "platform/SingleInstance.h"

#include <memory>

class QSocketNotifier;

// The instance lock as an advisory lock (flock) on a lock file, held for as long as this object
// lives. The kernel drops the lock with the process, so a crash or a kill never leaves a start
// blocked. The file holds the holder's process id, for people; nothing reads it.
// Beside it, the holder listens on a Unix socket (the lock's path with ".socket" for ".lock"): a
// later start that connects asks it to show itself, and reads one line back once it has.
class LinuxSingleInstance : public SingleInstance {
public:
    explicit LinuxSingleInstance(QString lockPath = standardLockPath());
    ~LinuxSingleInstance() override;
    LinuxSingleInstance(const LinuxSingleInstance&) = delete;
    LinuxSingleInstance& operator=(const LinuxSingleInstance&) = delete;

    QString lockPath() const override;
    Outcome acquire() override;
    void release() override;
    bool askHolderToShow() override;
    void onShowAsked(std::function<void()> show) override;

    // Where the holder of the lock at `lockPath` listens.
    static QString socketPathFor(const QString& lockPath);

private:
    void listenForShow();
    void answerShowRequests();

    QString m_path;
    int m_fd = -1;
    int m_listenFd = -1;
    std::function<void()> m_show;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
