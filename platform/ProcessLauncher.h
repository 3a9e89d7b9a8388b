#pragma once

#include <QString>
#include <QStringList>

// Starts programs that the user asked for (an event's approve or deny command) and lets them run
// on their own: the launch is not awaited and the output and exit status are not read.
class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;

    // Starts `command` in a login shell ("-lc" and the command as one argument), detached.
    // Returns true once the shell has started; false when it could not be started, with `error`
    // saying why.
    virtual bool runShellCommand(const QString& command, QString* error) = 0;

    // Starts `program` with `arguments`, each handed over as it is (no shell reads them), detached,
    // its input and output on /dev/null. Returns true once it has started; false when it could not
    // be started, with `error` saying why.
    virtual bool startProgram(const QString& program, const QStringList& arguments, QString* error) = 0;
};
