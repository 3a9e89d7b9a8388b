#pragma once

#include <QString>

// One running copy of the program per user: the first start holds an advisory lock (flock) on a
// lock file for as long as this object lives, and a later start finds it held. The kernel drops
// the lock with the process, so a crash or a kill never leaves a start blocked. The file holds
// the holder's process id, for people; nothing reads it.
class SingleInstance {
public:
    enum class Outcome {
        acquired,       // this object holds the lock now
        alreadyRunning, // a live process holds it
        unavailable,    // the lock file could not be made (logged); another copy may be running
    };

    explicit SingleInstance(QString lockPath = standardLockPath());
    // Gives the lock up when held.
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // $XDG_RUNTIME_DIR/com.brimlark.app.lock; when that variable is unset (or not an absolute
    // path), instance.lock in the program's data folder, $XDG_DATA_HOME/com.brimlark.app.
    static QString standardLockPath();

    QString lockPath() const;
    // Takes the lock without waiting, creating its folder when missing.
    Outcome acquire();
    // Gives the lock up and removes its file; nothing when not held.
    void release();

private:
    QString m_path;
    int m_fd = -1;
};
