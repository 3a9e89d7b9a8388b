#pragma once

#include "platform/ProcessLauncher.h"

#include <QList>
#include <QStringList>

// Records the commands and programs it was asked to start; a test scripts a failure.
class FakeProcessLauncher final : public ProcessLauncher {
public:
    bool runShellCommand(const QString& command, QString* error) override {
        commands.append(command);
        if (!failure.isEmpty()) {
            if (error)
                *error = failure;
            return false;
        }
        return true;
    }

    bool startProgram(const QString& program, const QStringList& arguments, QString* error) override {
        programs.append(Started{program, arguments});
        if (!failure.isEmpty()) {
            if (error)
                *error = failure;
            return false;
        }
        return true;
    }

    // One start of startProgram().
    struct Started {
        QString program;
        QStringList arguments;
    };

    // When not empty, every run fails with this text.
    QString failure;
    QStringList commands;
    QList<Started> programs;
};
