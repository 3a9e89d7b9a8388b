#pragma once

#include "Brimlark/aihooks/events/AIHookTool.h"
#include "Brimlark/aihooks/install/AIHookAccessLocation.h"
#include "Brimlark/aihooks/install/AIHookAccessStatus.h"

#include <QString>

#include <functional>
#include <optional>

class Bookmarks;
class FilePicker;
class UserDefaults;

// Reaches the AI tools' configuration folders through an item the user picked once: their
// folder (".claude", ".codex"), its configuration file, or the home folder. The pick is kept per
// tool as a bookmark in the defaults store under "brimlark.aiHookAccess." + the tool's key, and
// resolved again whenever the folder is needed. Every opening of access is closed again before a
// call returns, on every path.
//
// A value type over non-owning pointers: the store, bookmarks and picker must outlive it. All
// calls belong on the main thread (the picker runs modally).
class AIHookAccessManager {
public:
    struct AccessError {
        enum class Kind {
            // The pick, or the bookmarked item, is none of the accepted places; payload: the
            // expected tool folder.
            wrongFolder,
            // Nothing was granted yet; payload: the tool's display name.
            notGranted,
            // The stored bookmark could not be resolved or opened; payload: the whole message.
            bookmarkResolutionFailed,
            // The user closed the panel without a choice.
            cancelled,
            // No bookmark could be made of an item; payload: the platform's own message.
            bookmarkCreationFailed,
        };
        Kind kind = Kind::cancelled;
        QString payload;

        // The text shown to the user.
        QString errorDescription() const;
    };

    // Runs inside the granted scope with the listener port and the tool's configuration file;
    // returns false and sets `error` when it fails.
    using Operation = std::function<bool(quint16 port, const QString& configPath, QString* error)>;

    AIHookAccessManager(QString homeDirectory, UserDefaults* defaults, Bookmarks* bookmarks,
                        FilePicker* picker);

    // The user's real home folder.
    static QString realHomeDirectory();
    // The defaults key of a tool's bookmark.
    static QString defaultsKey(AIHookTool tool);
    // "Claude Code folder access granted." and the like, shown after a grant.
    static QString accessGrantedMessage(AIHookTool tool);

    // Where the tool's configuration is for a picked path, or nothing when the pick is none of
    // the accepted places. Pure.
    std::optional<AIHookAccessLocation> location(AIHookTool tool, const QString& selectedPath) const;

    // Shows the open panel and stores a bookmark of the pick. False with `error` set on cancel, a
    // wrong pick or a bookmark that cannot be made; nothing is stored then.
    bool requestAccess(AIHookTool tool, AccessError* error = nullptr) const;
    // True when the stored grant resolves to an accepted place (a stale bookmark is replaced by a
    // fresh one on the way); otherwise false with `error` set.
    bool hasAccess(AIHookTool tool, AccessError* error = nullptr) const;
    // Resolves the grant and runs `operation` with `port` and the configuration file while access
    // is open. False with `error` set when resolving fails (the operation does not run) or when the
    // operation fails (its own error text).
    bool withAccess(AIHookTool tool, quint16 port, const Operation& operation,
                    QString* error = nullptr) const;

    // hasAccess() for claude, then codex; a failed check counts as not granted.
    AIHookAccessStatus accessStatus() const;

private:
    // Resolves the stored grant and leaves access open on success; the caller closes it.
    std::optional<AIHookAccessLocation> openGrant(AIHookTool tool, QString* openedPath,
                                                  AccessError* error) const;

    QString m_homeDirectory;
    UserDefaults* m_defaults;
    Bookmarks* m_bookmarks;
    FilePicker* m_picker;
};
