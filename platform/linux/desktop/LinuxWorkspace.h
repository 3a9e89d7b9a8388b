#pragma once

#include "platform/Workspace.h"

// The Linux desktop: URLs and files through QDesktopServices (xdg-open and the like), the
// clipboard through QClipboard, applications through GIO's desktop entries (never a shell).
class LinuxWorkspace final : public Workspace {
    Q_OBJECT
public:
    using Workspace::Workspace;
    // Waits for the launches under way and ends the thread that reaps the launched processes: no
    // thread of the launches runs past the workspace.
    ~LinuxWorkspace() override;

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
    // Through GLib's key-file reader; the desktop-file id is the path below the first XDG
    // "applications" folder ($XDG_DATA_HOME, then $XDG_DATA_DIRS) holding the file, its "/" made "-".
    std::optional<ApplicationFile> describeApplicationFile(const QString& path,
                                                           QString* error = nullptr) override;
    // GIO's GDesktopAppInfo of the file, launched on a worker thread without a launch context: GIO
    // splits "Exec=" itself (no shell runs). X11 gives no way to start an application without
    // activating it, so the desktop may bring it to the front. Launches run on a small pool of
    // their own and start as soon as a worker is free; the scheduler's settings are left alone.
    void openApplicationFile(const QString& path, const QObject* context,
                             std::function<void(const Launch&)> done) override;
};
