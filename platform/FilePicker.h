#pragma once

#include <QString>

#include <optional>

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
};

// A modal panel in which the user picks one file or folder.
class FilePicker {
public:
    virtual ~FilePicker() = default;

    // Runs the panel until the user closes it. The absolute path of the chosen item, or nothing
    // when the user cancelled.
    virtual std::optional<QString> pickOne(const FilePickerOptions& options) = 0;
};
