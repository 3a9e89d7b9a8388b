#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QObject;

// What an open panel shows and lets the user choose.
struct FilePickerOptions {
    QString title;
    // A sentence that tells the user what to choose and why.
    QString message;
    // The label of the button that confirms the choice.
    QString prompt;
    bool canChooseFiles = true;
    bool canChooseDirectories = false;
    bool canCreateDirectories = false;
    bool showsHiddenFiles = false;
    // The folder shown first; empty for the platform's choice.
    QString directory;
    // The kinds of file offered, as "<description> (<pattern> ...)" each; empty for every file.
    QStringList nameFilters;
};

// A panel in which the user picks one file or folder.
class FilePicker {
public:
    virtual ~FilePicker() = default;

    // Runs the panel until the user closes it. The absolute path of the chosen item, or nothing
    // when the user cancelled.
    virtual std::optional<QString> pickOne(const FilePickerOptions& options) = 0;
    // Shows the panel and returns at once. `done` follows on the main thread once the user closed
    // it, with the chosen item's absolute path or nothing for a cancel; it is not called once
    // `context` is gone.
    virtual void pick(const FilePickerOptions& options, const QObject* context,
                      std::function<void(const std::optional<QString>& path)> done) = 0;
};
