#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

// Opening things with the desktop, and the clipboard.
class Workspace : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~Workspace() override = default;

    // Opens a URL (or a local file URL) with the user's preferred application; false on failure.
    virtual bool openUrl(const QUrl& url) = 0;
    // Replaces the clipboard's content with plain text.
    virtual void setClipboardText(const QString& text) = 0;
    // Launches the application known by its desktop id; false when no such application is
    // installed or it could not start.
    virtual bool openApplication(const QString& applicationId) = 0;
    // Opens the desktop's application for making the shortcuts the program runs by name; false
    // when the desktop has none or it could not start.
    virtual bool openShortcutsApplication() = 0;
    // Whether the desktop has such an application at all.
    virtual bool hasShortcutsApplication() const = 0;

    // The outcome of starting the default application of a kind of file.
    struct Launch {
        enum class Outcome { notFound, launched, failed };
        Outcome outcome = Outcome::notFound;
        // Why the launch failed; empty otherwise.
        QString error;
    };
    // Starts the user's default application for `mimeType` (for example "text/calendar") without
    // a file; notFound when no application takes that type itself (one for a type it is a kind of,
    // a text editor for calendar files, is not started).
    virtual Launch openDefaultApplication(const QString& mimeType) = 0;

    // What an application's desktop entry file says about it.
    struct ApplicationFile {
        // "Name" in the user's language ("Name[ll_CC]" or "Name[ll]"); none without a translation.
        std::optional<QString> localizedName;
        // The untranslated "Name"; none when the entry has none.
        std::optional<QString> name;
        // The desktop-file id ("org.example.App.desktop"), only for a file inside an XDG
        // "applications" folder.
        std::optional<QString> desktopId;
        // "Icon=": an icon theme name or an absolute path; empty when there is none.
        QString icon;
    };
    // Reads the desktop entry at `path`; nothing, with `error` set, when it cannot be read or is no
    // "Type=Application" entry.
    virtual std::optional<ApplicationFile> describeApplicationFile(const QString& path,
                                                                   QString* error = nullptr) = 0;
    // Starts the application of the desktop entry at `path` without files and without blocking the
    // caller. `done` follows on the main thread with launched, notFound (no application entry at
    // the path) or failed and the reason; it is not called once `context` is gone.
    virtual void openApplicationFile(const QString& path, const QObject* context,
                                     std::function<void(const Launch& launch)> done) = 0;
};
