#include "platform/linux/apps/LinuxProcessLauncher.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

LinuxProcessLauncher::LinuxProcessLauncher(QStringList shells) : m_shells(std::move(shells)) {}

QStringList LinuxProcessLauncher::defaultShells() {
    return {QStringLiteral("/bin/zsh"), QStringLiteral("/bin/bash"), QStringLiteral("/bin/sh")};
}

QString LinuxProcessLauncher::shell() const {
    for (const QString& candidate : m_shells) {
        const QFileInfo info(candidate);
        if (info.isFile() && info.isExecutable())
            return candidate;
    }
    return QString();
}

namespace {

bool startDetached(const QString& program, const QStringList& arguments, QString* error) {
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(QDir::homePath());
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    if (!process.startDetached()) {
        if (error)
            *error = process.errorString();
        return false;
    }
    return true;
}

} // namespace

bool LinuxProcessLauncher::startProgram(const QString& program, const QStringList& arguments,
                                        QString* error) {
    if (program.isEmpty()) {
        if (error)
            *error = QStringLiteral("no program given");
        return false;
    }
    return startDetached(program, arguments, error);
}

bool LinuxProcessLauncher::runShellCommand(const QString& command, QString* error) {
    const QString program = shell();
    if (program.isEmpty()) {
        if (error)
            *error = QStringLiteral("no shell found");
        return false;
    }
    // A shell reads an argument that begins with "-" or "+" as more options of its own, even after
    // "-c", and then runs nothing. A leading blank, which the shell skips, keeps it the command.
    QString script = command;
    if (script.startsWith(QLatin1Char('-')) || script.startsWith(QLatin1Char('+')))
        script.prepend(QLatin1Char(' '));
    return startDetached(program, {QStringLiteral("-lc"), script}, error);
}
