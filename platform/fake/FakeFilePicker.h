#pragma once

#include "platform/FilePicker.h"

#include <QList>

// Answers open panels without a person: each call takes the next scripted answer (a path, or
// nothing for Cancel); with none left it cancels. Records the options of every panel.
class FakeFilePicker final : public FilePicker {
public:
    std::optional<QString> pickOne(const FilePickerOptions& options) override {
        asked.append(options);
        if (answers.isEmpty())
            return std::nullopt;
        return answers.takeFirst();
    }

    QList<std::optional<QString>> answers;
    QList<FilePickerOptions> asked;
};
