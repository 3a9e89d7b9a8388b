#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Edits Codex CLI's "config.toml" as text, so every byte the user wrote outside the program's own
// wiring stays as it is: comments, layout, key order and line endings (CR LF files stay CR LF).
// The text is read just enough to tell table headers, key assignments, comments and strings apart
// (multi-line strings and values spanning lines included); it is never rebuilt from a parse.
class CodexConfig {
public:
    // The flag line the program makes sure of in the "[features]" table.
    static QString featureLine() { return QStringLiteral("codex_hooks = true"); }
    static QString beginMarker() { return QStringLiteral("# BEGIN Brimlark AI hooks"); }
    static QString endMarker() { return QStringLiteral("# END Brimlark AI hooks"); }

    // The file's bytes as text. A byte-order mark is kept as U+FEFF. Nothing, with `error` set,
    // when the bytes are not valid UTF-8.
    static std::optional<QString> decode(const QByteArray& bytes, QString* error = nullptr);

    // The configuration with the program's older wiring removed (a block between the begin and end
    // marker comment lines, "[[hooks]]" tables that run the script `scriptFileName`) and the hooks
    // feature flag on, trimmed and ended by one line break. Nothing, with `error` set, when the text
    // ends inside a multi-line string or an array or inline table (it is not valid TOML), or when the
    // flag cannot be set without guessing: "features" is an inline table or an array of tables, or
    // "[features]" sets the flag twice.
    static std::optional<QString> updated(const QString& text, const QString& scriptFileName,
                                          QString* error = nullptr);

    // The text without the "[[hooks]]" tables that mention `scriptFileName`, each up to the next
    // table header but for the comment lines directly above that header, which lead into the next
    // table and stay; the user's own hook tables and everything else stay too.
    static QString removingBridgeHookTables(const QString& text, const QString& scriptFileName);
};
