#pragma once

#include <QString>

#include <functional>

// One running copy of the program per user: the first start holds a lock for as long as the
// object lives, and a later start finds it held. A crash or a kill never leaves a start blocked.
// The holder also takes requests to show itself from later starts, which leave after asking.
class SingleInstance {
public:
    enum class Outcome {
        acquired,       // this object holds the lock now
        alreadyRunning, // a live process holds it
        unavailable,    // the lock could not be made (logged); another copy may be running
    };

    // Gives the lock up when held.
    virtual ~SingleInstance() = default;

    // Returns $XDG_RUNTIME_DIR/com.brimlark.app.lock; when that variable is unset (or not an
    // absolute path), instance.lock in the program's data folder, $XDG_DATA_HOME/com.brimlark.app.
    // Never fails.
    static QString standardLockPath();

    // Returns the path of the lock file, as given.
    virtual QString lockPath() const = 0;
    // Takes the lock without waiting, creating its folder when missing. Returns alreadyRunning
    // when another live process holds it, unavailable (logged) when it cannot be made.
    virtual Outcome acquire() = 0;
    // Gives the lock up and removes its file; nothing when not held.
    virtual void release() = 0;

    // From a start that found the lock held: asks the holder to show itself and waits a few
    // seconds for its answer. Returns false (logged) when none came.
    virtual bool askHolderToShow() = 0;
    // While this object holds the lock, `show` runs on the thread of the event loop each time a
    // later start asks; requests that came before it was set run then.
    virtual void onShowAsked(std::function<void()> show) = 0;
};
