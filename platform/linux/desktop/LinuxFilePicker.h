#pragma once

#include "platform/FilePicker.h"

#include <functional>

class QFileDialog;

// The open panel as a Qt file dialog (Qt's own, so that one dialog can offer files and folders
// alike and show the panel's message).
class LinuxFilePicker final : public FilePicker {
public:
    std::optional<QString> pickOne(const FilePickerOptions& options) override;
    // The same dialog, opened window-modal without an event loop of its own; it deletes itself
    // when closed.
    void pick(const FilePickerOptions& options, const QObject* context,
              std::function<void(const std::optional<QString>&)> done) override;

    // Test seam: runs once the dialog is up, with the dialog, so a test can select an item and
    // accept or reject it without a person.
    void setDialogHook(std::function<void(QFileDialog& dialog)> hook) { m_hook = std::move(hook); }

private:
    std::function<void(QFileDialog&)> m_hook;
};
