#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Runs the user's own shortcuts by name with the "shortcuts" command-line tool, found on the search
// path through /usr/bin/env. Exit status 0 means the shortcut ran; -1 means the tool could not be
// started (or an empty list of names). The tool's output is discarded. Callbacks run on the main
// thread once the process has exited; the main thread never waits for it. A callback runs only
// while its `context` exists, as Qt drops a call to a destroyed receiver (the process still runs
// to its end); a null context is no guard.
class ShortcutsRunner : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~ShortcutsRunner() override = default;

    // The process-wide runner.
    static ShortcutsRunner& shared();

    // Runs one shortcut, passing `input` with "--input" when given.
    virtual void runShortcut(const QString& name, const std::optional<QString>& input, const QObject* context,
                             std::function<void(int status)> done);
    // Tries `names` in order, one at a time, until one exits with 0; answers that 0 or the last
    // name's status. The names are tried to the end also when `context` is gone by then.
    void runShortcutCandidates(const QStringList& names, const std::optional<QString>& input,
                               const QObject* context, std::function<void(int status)> done);
};
