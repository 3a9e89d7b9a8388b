#pragma once

#include <QString>

#include <functional>
#include <memory>

// Tells its owner that one file has changed: written in place, grown, renamed, deleted, or
// replaced. It watches the path, not the file object, so an atomic replace (a temp file renamed
// over it) or a deletion followed by a new file is seen, and so are later writes. It never reads
// the file and does not say what changed; several changes may make one report. Reports arrive
// on the thread the watch was made on.
class FileWatch {
public:
    // Makes a watch of `path` that has not started yet.
    using Factory = std::function<std::unique_ptr<FileWatch>(const QString& path)>;

    // Cancels the watch.
    virtual ~FileWatch() = default;

    // Creates the file holding "[]" when nothing is at the path (a failure is ignored), then
    // watches it and calls `onChange` on every change. When the folder cannot be watched (it does
    // not exist) nothing is ever reported and nothing fails loudly. Called once per watch.
    virtual void start(std::function<void()> onChange) = 0;
    // Stops watching and releases what the watch holds; safe to repeat.
    virtual void cancel() = 0;
    // Returns true between a start() that could watch and cancel().
    virtual bool isActive() const = 0;
    // Returns the path watched, as given.
    virtual QString path() const = 0;
};
