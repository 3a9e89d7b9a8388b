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
        std::optional<QString> answer = answers.takeFirst();
        // A fresh list once the last answer is taken: Qt 6.8's QList::assign, behind a test's
        // `answers = {...}`, asserts on an emptied list that keeps free room before its start.
        if (answers.isEmpty())
            answers = QList<std::optional<QString>>();
        return answer;
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
