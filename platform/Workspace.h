#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

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
    // a file; notFound when none is set.
    virtual Launch openDefaultApplication(const QString& mimeType) = 0;
};
