#pragma once

#include "platform/SingleInstance.h"

// The instance lock as an advisory lock (flock) on a lock file, held for as long as this object
// lives. The kernel drops the lock with the process, so a crash or a kill never leaves a start
// blocked. The file holds the holder's process id, for people; nothing reads it.
class LinuxSingleInstance : public SingleInstance {
public:
    explicit LinuxSingleInstance(QString lockPath = standardLockPath());
    ~LinuxSingleInstance() override;
    LinuxSingleInstance(const LinuxSingleInstance&) = delete;
    LinuxSingleInstance& operator=(const LinuxSingleInstance&) = delete;

    QString lockPath() const override;
    Outcome acquire() override;
    void release() override;

private:
    QString m_path;
    int m_fd = -1;
};
