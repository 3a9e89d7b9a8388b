#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

// The entry points of the GIO module, the one shared object that links GIO (and, behind it, the
// GObject type system, libmount and libselinux). The workspace loads it when it first starts an
// application and the accessibility settings when an animation first asks for reduce motion, so
// a start that needs neither never loads GIO.
struct GioModule {
    enum class Launch { started, notFound, failed };
    // The keys of an application's desktop entry that the program shows.
    struct DesktopFile {
        // "Name" in the user's language; none when the entry has no translation for it.
        std::optional<QString> localizedName;
        std::optional<QString> name;
        // "Icon=", empty when there is none.
        QString icon;
    };
    // Starts the application of the desktop entry `desktopId` ("x.desktop") without files;
    // `error` gets GIO's reason when it failed to start.
    Launch (*launchDesktopEntry)(const QByteArray& desktopId, QString* error);
    // Reads the desktop entry file at `path` (file-system encoding): false, with `error`, when it
    // cannot be read or is no "Type=Application" entry.
    bool (*describeDesktopFile)(const QByteArray& path, DesktopFile* file, QString* error);
    // Starts the application of the desktop entry file at `path` without files and without a
    // launch context, so it asks for no activation; notFound when GIO loads no application from
    // the file. The child is spawned without forking this process and reaped by the process's
    // one reaper thread. Safe to call from any thread.
    Launch (*launchDesktopFile)(const QByteArray& path, QString* error);
    // Starts the default application for `mimeType` without files: notFound when it has none. An
    // application GIO would pick only for a type `mimeType` is a kind of (a text editor for
    // text/calendar) does not count: only one that takes `mimeType` itself is started.
    Launch (*launchDefaultFor)(const QByteArray& mimeType, QString* error);
    // Watches GNOME's org.gnome.desktop.interface enable-animations: null, with `why`, when the
    // schema or key is not installed. `changed` runs on each change, while Qt runs its GLib event
    // dispatcher.
    void* (*watchEnableAnimations)(std::function<void()> changed, QString* why);
    bool (*enableAnimations)(void* watch);
    void (*unwatch)(void* watch);
    // Whether the desktop has an application for addresses of this scheme ("https", "mailto").
    bool (*handlesUriScheme)(const QByteArray& scheme);
    // At quit, once no launch runs: ends the reaper thread and waits for it.
    void (*stopReaping)();
};

// The name of the module's exported function that answers its entry points: a
// `const GioModule* (*)()`.
inline constexpr char gioModuleEntry[] = "brimlarkGioModule";

// Loads the module at the first call and keeps it; null, logged once, when it cannot be loaded.
const GioModule* gioModule();
// The module when an earlier gioModule() call loaded it; null otherwise, without loading it.
const GioModule* loadedGioModule();
