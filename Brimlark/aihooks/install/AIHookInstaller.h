#pragma once

#include "Brimlark/aihooks/events/AIHookTool.h"
#include "Brimlark/aihooks/install/AIHookInstallationStatus.h"
#include "Brimlark/aihooks/install/ClaudeVersion.h"

#include <QFuture>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <optional>

// Wires the program into the AI command-line tools: writes the bridge script into the program's
// own data folder and adds, for every hook event a tool offers, a hook that runs the script with
// the tool, the event and the listener port. The tools' files are edited in place: unknown keys,
// the user's own hooks and their order stay; only hooks whose command names the script's file are
// replaced, so installing again gives the same file.
//
// A value type holding only paths; every operation reads and writes the disk afresh. The
// operations run on the main thread except lookUpClaudeVersion(), which waits for a process on a
// worker thread.
class AIHookInstaller {
public:
    // Where things are; each path left empty takes its default.
    struct Locations {
        QString bridgeScriptPath;   // <support folder>/hooks/brimlark-hook-bridge.py
        QString claudeSettingsPath; // <home>/.claude/settings.json
        QString codexConfigPath;    // <home>/.codex/config.toml
        QString codexHooksPath;     // <home>/.codex/hooks.json
        // Where the "claude" program is looked for, in order: paths, or a bare name looked up on
        // the search path. Empty: /usr/local/bin, /usr/bin, <home>/.local/bin, <home>/.claude/local
        // and <home>/.npm-global/bin, then "claude" on the search path.
        QStringList claudeCandidates;
        // How long "claude --version" may take before it counts as giving no version.
        std::chrono::milliseconds claudeVersionTimeout{5000};
    };

    // One hook event of a tool and the entries to add under it for a hook command.
    struct Registration {
        QString event;
        std::function<QJsonArray(const QString& command)> entries;
    };

    AIHookInstaller(QString homeDirectory, const QString& supportDirectory);
    AIHookInstaller(QString homeDirectory, const QString& supportDirectory, Locations locations);

    QString bridgeScriptPath() const { return m_locations.bridgeScriptPath; }
    QString claudeSettingsPath() const { return m_locations.claudeSettingsPath; }
    QString codexConfigPath() const { return m_locations.codexConfigPath; }
    QString codexHooksPath() const { return m_locations.codexHooksPath; }

    // The script's own file name, the mark of the program's hooks: "brimlark-hook-bridge.py".
    QString bridgeScriptFileName() const;

    // Writes the bridge script (mode 0755), replacing an older one. False with `error` set when
    // the folder, the file or its mode could not be made.
    bool writeBridgeScript(QString* error = nullptr) const;

    // Connects Claude Code: the script, then the hooks in `settingsPath` (the installer's own
    // claudeSettingsPath when empty), for the events `version` offers (the base events when
    // nothing). False with `error` set when anything fails; the settings file is then unchanged.
    bool installClaudeHooks(quint16 port, const QString& settingsPath, std::optional<ClaudeVersion> version,
                            QString* error = nullptr) const;
    // Connects Codex CLI: the script, the hooks feature flag in `configPath` (the installer's own
    // codexConfigPath when empty) and the hooks in "hooks.json" beside it. Both files are parsed,
    // and both new contents written out beside them, before either is replaced: a failure leaves
    // both unchanged (see AIHookConfigFile::writeAll() for the one exception, which says so).
    bool installCodexHooks(quint16 port, const QString& configPath, QString* error = nullptr) const;

    // Whether the installer's own claude settings file, or Codex hooks file, holds a hook of the
    // program. Never fails: a missing or unreadable file counts as not installed.
    bool claudeHooksInstalled() const;
    bool codexHooksInstalled() const;
    // The four locations and the two installed checks.
    AIHookInstallationStatus installationStatus() const;

    // On a worker thread, the version "claude --version" prints, from the first candidate that
    // exists; nothing when there is none, it fails, prints no version, or runs past the time-out
    // (it is then killed). Never blocks the caller.
    QFuture<std::optional<ClaudeVersion>> lookUpClaudeVersion() const;

    // The command a hook runs:
    // /usr/bin/env python3 '<script>' --source claude --event 'PreToolUse' --port 43434
    static QString hookCommand(AIHookTool tool, const QString& event, quint16 port,
                               const QString& scriptPath);
    // `word` in single quotes, each inner single quote written as '"'"'.
    static QString shellQuoted(const QString& word);

    // Claude Code's events: ten always, more as the version reaches their thresholds.
    static QList<Registration> claudeRegistrations(std::optional<ClaudeVersion> version);
    // Codex CLI's six events.
    static QList<Registration> codexRegistrations();
    // A "hooks" object without the hooks whose command contains `scriptFileName`; entries, and
    // events, that this leaves empty go too. Those the user left empty stay.
    static QJsonObject removingBridgeHooks(const QJsonObject& hooks, const QString& scriptFileName);

    // The message after a successful install of the tools asked for. Connecting Codex CLI adds
    // codexTrustNote(): Codex runs a new or changed hook only once the user trusts it.
    static QString installMessage(bool claude, bool codex);
    static QString codexTrustNote();
    // The error when neither tool was asked for.
    static QString noToolChosenMessage();
    // The error after a failed install, given the failure's text.
    static QString setupFailedMessage(const QString& description);

private:
    // The file's JSON object (empty for a missing or empty file); nothing, with `error` set, for a
    // file that cannot be read or parsed, does not hold an object, or holds an integer outside the
    // 64-bit range (it would not be written back with the same digits).
    static std::optional<QJsonObject> loadJSONObject(const QString& path, QString* error);
    // The file's new content with the registrations' hooks; nothing, with `error` set, when its
    // hooks have a shape the installer cannot merge into without guessing.
    std::optional<QByteArray> mergedHooksFile(const QString& path, const QList<Registration>& registrations,
                                              AIHookTool tool, quint16 port, QString* error) const;
    bool hooksInstalled(const QString& path) const;

    QString m_homeDirectory;
    Locations m_locations;
};
