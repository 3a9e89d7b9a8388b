#pragma once

#include "platform/Workspace.h"

// The Linux desktop: URLs and files through QDesktopServices (xdg-open and the like), the
// clipboard through QClipboard, applications through GIO's desktop entries (never a shell).
class LinuxWorkspace final : public Workspace {
    Q_OBJECT
public:
    using Workspace::Workspace;

    // False for an invalid URL, or when QDesktopServices finds nothing to open it with.
    bool openUrl(const QUrl& url) override;
    // Sets the clipboard (not the X11 primary selection).
    void setClipboardText(const QString& text) override;
    // `applicationId` is a desktop id ("org.gnome.Calculator" or "org.gnome.Calculator.desktop").
    // False, with a debug line, when no such desktop entry is installed, or when GIO could not
    // launch it.
    bool openApplication(const QString& applicationId) override;
    // Linux has no application for making shortcuts: false, with an info line.
    bool openShortcutsApplication() override;
    // Linux has none.
    bool hasShortcutsApplication() const override { return false; }
    // Through GIO's default handler of the MIME type, launched without files.
    Launch openDefaultApplication(const QString& mimeType) override;
};
