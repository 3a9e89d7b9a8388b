#pragma once

#include "platform/ContextCallback.h"
#include "platform/FilePicker.h"

#include <QList>

// Answers open panels without a person. pickOne() takes the next scripted answer (a path, or
// nothing for Cancel) and cancels with none left; pick() waits until the test answers it with
// answerPick(), so a test decides what happens meanwhile. Records the options of every panel.
class FakeFilePicker final : public FilePicker {
public:
    std::optional<QString> pickOne(const FilePickerOptions& options) override {
        asked.append(options);
        if (answers.isEmpty())
            return std::nullopt;
        return answers.takeFirst();
    }

    void pick(const FilePickerOptions& options, const QObject* context,
              std::function<void(const std::optional<QString>&)> done) override {
        asked.append(options);
        pending.append(ContextCallback<void(const std::optional<QString>&)>(context, std::move(done)));
    }

    // Closes the oldest open panel with `path` (nothing for Cancel); false when none is open.
    bool answerPick(const std::optional<QString>& path) {
        if (pending.isEmpty())
            return false;
        const auto reply = pending.takeFirst();
        reply(path);
        return true;
    }

    QList<std::optional<QString>> answers;
    QList<FilePickerOptions> asked;
    QList<ContextCallback<void(const std::optional<QString>&)>> pending;
};
