#pragma once

#include <QString>

// The AI command-line tools the program wires itself into. Everything that depends on the tool
// (names, folders, files, settings keys) comes from the functions below.
enum class AIHookTool { claude, codex };

// "claude" or "codex": the tool's word in settings keys and in hook commands.
inline QString aiHookToolKey(AIHookTool tool) {
    return tool == AIHookTool::claude ? QStringLiteral("claude") : QStringLiteral("codex");
}

// "Claude Code" or "Codex CLI".
inline QString aiHookToolDisplayName(AIHookTool tool) {
    return tool == AIHookTool::claude ? QStringLiteral("Claude Code") : QStringLiteral("Codex CLI");
}

// The tool's folder in the home folder: ".claude" or ".codex".
inline QString aiHookToolFolderName(AIHookTool tool) {
    return tool == AIHookTool::claude ? QStringLiteral(".claude") : QStringLiteral(".codex");
}

// The configuration file in the tool's folder: "settings.json" or "config.toml".
inline QString aiHookToolConfigFileName(AIHookTool tool) {
    return tool == AIHookTool::claude ? QStringLiteral("settings.json") : QStringLiteral("config.toml");
}
