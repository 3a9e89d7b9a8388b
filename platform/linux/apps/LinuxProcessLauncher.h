#pragma once

#include "platform/ProcessLauncher.h"

#include <QStringList>

// Runs commands through the first shell that exists of "/bin/zsh", "/bin/bash" and "/bin/sh",
// started detached with its input and output on /dev/null, in the user's home folder; starts other
// programs the same way, with their arguments as given.
class LinuxProcessLauncher final : public ProcessLauncher {
public:
    // `shells` replaces the list of candidate shells, tried in order (for tests).
    explicit LinuxProcessLauncher(QStringList shells = defaultShells());

    bool runShellCommand(const QString& command, QString* error) override;
    bool startProgram(const QString& program, const QStringList& arguments, QString* error) override;

    // The first candidate that is an executable file, or an empty text.
    QString shell() const;

    static QStringList defaultShells();

private:
    QStringList m_shells;
};
