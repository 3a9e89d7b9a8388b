#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// Reading and writing the AI tools' configuration files without ever damaging them: a write goes
// to the file a symbolic link points at (the link stays a link), keeps the file's exact mode (also
// when the superuser writes a file its mode calls read-only), replaces the content atomically,
// and does not touch a file whose content would not change. Before a file the user already had is
// first changed, a copy of it as it was is kept beside it (see originalCopyPath()).
class AIHookConfigFile {
public:
    struct Contents {
        // False for a missing file, which is not an error.
        bool exists = false;
        QByteArray bytes;
    };
    // One file's new content, for writeAll().
    struct Change {
        QString path;
        QByteArray bytes;
        // Whether a copy of the file as it was is kept before it is first changed.
        bool keepOriginal = false;
    };

    // The file's content; nothing, with `error` set, when it exists but cannot be read.
    static std::optional<Contents> read(const QString& path, QString* error = nullptr);
    // Replaces the file's content with `bytes` (creates it when missing). False, with `error`
    // set, when writing failed; the old content is then untouched.
    // When `keepOriginal` is set and the file exists with another content, its copy is written
    // first (once: an existing copy is never replaced); without that copy nothing is changed.
    static bool write(const QString& path, const QByteArray& bytes, QString* error = nullptr,
                      bool keepOriginal = false);
    // The same for several files, all or none: every new content is written out in full beside
    // its file before the first is put in place, and should putting one in place fail, those
    // already replaced get their old content back. False, with `error` set to "<file name>:
    // <what failed>; nothing was changed", when a file could not be read or written; only when
    // restoring fails too does the error end with the files that were changed all the same.
    static bool writeAll(const QList<Change>& changes, QString* error = nullptr);
    // Where the copy of `path` as it was before its first change is kept: beside it, with
    // ".before-brimlark" after its name ("settings.json.before-brimlark").
    static QString originalCopyPath(const QString& path);
    // The path after following symbolic links, also when the final target does not exist yet.
    static QString realPath(const QString& path);
};
