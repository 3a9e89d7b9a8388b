#pragma once

#include "platform/ProcessLauncher.h"

#include <QStringList>

// Records the commands it was asked to run; a test scripts a failure.
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

    // When not empty, every run fails with this text.
    QString failure;
    QStringList commands;
};
