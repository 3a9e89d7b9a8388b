#include "Brimlark/aihooks/install/AIHookInstaller.h"

#include "Brimlark/aihooks/install/AIHookConfigFile.h"
#include "Brimlark/aihooks/install/CodexConfig.h"
#include "Brimlark/core/Logging.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QProcess>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

namespace {

const QString scriptResource = QStringLiteral(":/hooks/brimlark-hook-bridge.py");

QString inDirectory(const QString& folder, const QString& relative) {
    return QDir::cleanPath(folder + QLatin1Char('/') + relative);
}

QString fileNameOf(const QString& path) {
    return QFileInfo(path).fileName();
}

bool fail(QString* error, const QString& text) {
    if (error)
        *error = text;
    return false;
}

QString unchanged(const QString& path, const QString& problem) {
    return fileNameOf(path) + QStringLiteral(": ") + problem + QStringLiteral("; nothing was changed");
}

QJsonObject innerHook(const QString& command) {
    return QJsonObject{{QStringLiteral("type"), QStringLiteral("command")},
                       {QStringLiteral("command"), command}};
}

QJsonObject plainEntry(const QString& command) {
    return QJsonObject{{QStringLiteral("hooks"), QJsonArray{innerHook(command)}}};
}

QJsonObject matcherEntry(const QString& matcher, const QString& command) {
    return QJsonObject{{QStringLiteral("matcher"), matcher},
                       {QStringLiteral("hooks"), QJsonArray{innerHook(command)}}};
}

AIHookInstaller::Registration plain(const QString& event) {
    return {event, [](const QString& command) { return QJsonArray{plainEntry(command)}; }};
}

AIHookInstaller::Registration matcher(const QString& event, const QString& matcherText) {
    return {event,
            [matcherText](const QString& command) { return QJsonArray{matcherEntry(matcherText, command)}; }};
}

AIHookInstaller::Registration permissionRequest(const QString& event) {
    return {event, [](const QString& command) {
                QJsonObject hook = innerHook(command);
                // A permission request waits for the user; a day is as long as a person may take.
                hook.insert(QStringLiteral("timeout"), 86400);
                return QJsonArray{QJsonObject{{QStringLiteral("matcher"), QStringLiteral("*")},
                                              {QStringLiteral("hooks"), QJsonArray{hook}}}};
            }};
}

AIHookInstaller::Registration compaction(const QString& event) {
    return {event, [](const QString& command) {
                return QJsonArray{matcherEntry(QStringLiteral("auto"), command),
                                  matcherEntry(QStringLiteral("manual"), command)};
            }};
}

bool isListOfObjects(const QJsonValue& value) {
    if (!value.isArray())
        return false;
    const QJsonArray list = value.toArray();
    return std::all_of(list.begin(), list.end(), [](const QJsonValue& item) { return item.isObject(); });
}

bool isOwnHook(const QJsonValue& hook, const QString& scriptFileName) {
    const QJsonValue command = hook.toObject().value(QStringLiteral("command"));
    return command.isString() && command.toString().contains(scriptFileName);
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The first integer literal (outside strings) of a JSON text that does not fit in 64 bits.
// QJsonDocument keeps such a number only as a double, so writing the document back would change
// its digits. The text must already have parsed.
std::optional<QByteArray> integerBeyond64Bits(const QByteArray& json) {
    for (qsizetype i = 0; i < json.size(); ++i) {
        const char c = json.at(i);
        if (c == '"') {
            for (++i; i < json.size() && json.at(i) != '"'; ++i) {
                if (json.at(i) == '\\')
                    ++i;
            }
            continue;
        }
        if (c != '-' && !isDigit(c))
            continue;
        qsizetype end = i;
        bool integer = true;
        for (; end < json.size(); ++end) {
            const char n = json.at(end);
            if (n == '.' || n == 'e' || n == 'E' || n == '+')
                integer = false;
            else if (n != '-' && !isDigit(n))
                break;
        }
        if (integer) {
            const QByteArray literal = json.mid(i, end - i);
            bool fits = false;
            literal.toLongLong(&fits);
            if (!fits)
                return literal;
        }
        i = end - 1;
    }
    return std::nullopt;
}

std::optional<ClaudeVersion> runClaudeVersion(const QStringList& candidates,
                                              std::chrono::milliseconds timeout) {
    QString program;
    for (const QString& candidate : candidates) {
        if (!candidate.contains(QLatin1Char('/'))) {
            program = QStandardPaths::findExecutable(candidate);
            if (!program.isEmpty())
                break;
        } else if (QFileInfo::exists(candidate)) {
            program = candidate;
            break;
        }
    }
    if (program.isEmpty())
        return std::nullopt;

    const QDeadlineTimer deadline(timeout);
    QProcess process;
    process.setProgram(program);
    process.setArguments({QStringLiteral("--version")});
    process.setStandardInputFile(QProcess::nullDevice());
    process.start();
    if (!process.waitForStarted(static_cast<int>(deadline.remainingTime()))) {
        qCDebug(lcHooks, "claude version lookup: %s did not start", qUtf8Printable(program));
        return std::nullopt;
    }
    if (!process.waitForFinished(static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1)))) {
        qCDebug(lcHooks, "claude version lookup: %s did not answer in time", qUtf8Printable(program));
        process.kill();
        process.waitForFinished(1000);
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString output = decoder.decode(process.readAllStandardOutput());
    if (decoder.hasError())
        return std::nullopt;
    return ClaudeVersion::parse(output);
}

} // namespace

AIHookInstaller::AIHookInstaller(QString homeDirectory, const QString& supportDirectory)
    : AIHookInstaller(std::move(homeDirectory), supportDirectory, Locations()) {}

AIHookInstaller::AIHookInstaller(QString homeDirectory, const QString& supportDirectory, Locations locations)
    : m_homeDirectory(std::move(homeDirectory)), m_locations(std::move(locations)) {
    Locations& l = m_locations;
    if (l.bridgeScriptPath.isEmpty())
        l.bridgeScriptPath = inDirectory(supportDirectory, QStringLiteral("hooks/brimlark-hook-bridge.py"));
    if (l.claudeSettingsPath.isEmpty())
        l.claudeSettingsPath = inDirectory(m_homeDirectory, QStringLiteral(".claude/settings.json"));
    if (l.codexConfigPath.isEmpty())
        l.codexConfigPath = inDirectory(m_homeDirectory, QStringLiteral(".codex/config.toml"));
    if (l.codexHooksPath.isEmpty())
        l.codexHooksPath = inDirectory(m_homeDirectory, QStringLiteral(".codex/hooks.json"));
    if (l.claudeCandidates.isEmpty())
        l.claudeCandidates = {QStringLiteral("/usr/local/bin/claude"),
                              QStringLiteral("/usr/bin/claude"),
                              inDirectory(m_homeDirectory, QStringLiteral(".local/bin/claude")),
                              inDirectory(m_homeDirectory, QStringLiteral(".claude/local/claude")),
                              inDirectory(m_homeDirectory, QStringLiteral(".npm-global/bin/claude")),
                              QStringLiteral("claude")};
}

QString AIHookInstaller::bridgeScriptFileName() const {
    return fileNameOf(m_locations.bridgeScriptPath);
}

bool AIHookInstaller::writeBridgeScript(QString* error) const {
    const QString path = m_locations.bridgeScriptPath;
    const QString name = fileNameOf(path);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return fail(error, name + QStringLiteral(": its folder could not be created"));
    QFile resource(scriptResource);
    if (!resource.open(QIODevice::ReadOnly))
        return fail(error, name + QStringLiteral(": the script is missing from the program"));
    QString why;
    if (!AIHookConfigFile::write(path, resource.readAll(), &why))
        return fail(error, name + QStringLiteral(": ") + why);
    const QFile::Permissions mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                    QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    if (!QFile::setPermissions(AIHookConfigFile::realPath(path), mode))
        return fail(error, name + QStringLiteral(": it could not be made executable"));
    return true;
}

QString AIHookInstaller::shellQuoted(const QString& word) {
    QString quoted = word;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\"'\"'"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString AIHookInstaller::hookCommand(AIHookTool tool, const QString& event, quint16 port,
                                     const QString& scriptPath) {
    return QStringLiteral("/usr/bin/env python3 ") + shellQuoted(scriptPath) + QStringLiteral(" --source ") +
           aiHookToolKey(tool) + QStringLiteral(" --event ") + shellQuoted(event) +
           QStringLiteral(" --port ") + QString::number(port);
}

QList<AIHookInstaller::Registration>
AIHookInstaller::claudeRegistrations(std::optional<ClaudeVersion> version) {
    QList<Registration> list{
        plain(QStringLiteral("UserPromptSubmit")),
        matcher(QStringLiteral("PreToolUse"), QStringLiteral("*")),
        matcher(QStringLiteral("PostToolUse"), QStringLiteral("*")),
        permissionRequest(QStringLiteral("PermissionRequest")),
        matcher(QStringLiteral("Notification"), QStringLiteral("*")),
        plain(QStringLiteral("Stop")),
        plain(QStringLiteral("SubagentStop")),
        plain(QStringLiteral("SessionStart")),
        plain(QStringLiteral("SessionEnd")),
        compaction(QStringLiteral("PreCompact")),
    };
    if (!version)
        return list;
    const std::pair<ClaudeVersion, Registration> optional[] = {
        {{2, 0, 0}, matcher(QStringLiteral("PostToolUseFailure"), QStringLiteral("*"))},
        {{2, 0, 43}, plain(QStringLiteral("SubagentStart"))},
        {{2, 1, 76}, compaction(QStringLiteral("PostCompact"))},
        {{2, 1, 78}, plain(QStringLiteral("StopFailure"))},
        {{2, 1, 88}, matcher(QStringLiteral("PermissionDenied"), QStringLiteral("*"))},
    };
    // The thresholds rise down the list, so the first one not reached ends it.
    for (const auto& [threshold, registration] : optional) {
        if (!(*version >= threshold))
            break;
        list.append(registration);
    }
    return list;
}

QList<AIHookInstaller::Registration> AIHookInstaller::codexRegistrations() {
    return {
        matcher(QStringLiteral("SessionStart"), QStringLiteral("startup|resume")),
        matcher(QStringLiteral("PreToolUse"), QStringLiteral("*")),
        matcher(QStringLiteral("PermissionRequest"), QStringLiteral("*")),
        matcher(QStringLiteral("PostToolUse"), QStringLiteral("*")),
        plain(QStringLiteral("UserPromptSubmit")),
        plain(QStringLiteral("Stop")),
    };
}

QJsonObject AIHookInstaller::removingBridgeHooks(const QJsonObject& hooks, const QString& scriptFileName) {
    QJsonObject result;
    for (auto it = hooks.begin(); it != hooks.end(); ++it) {
        if (!isListOfObjects(it.value())) {
            result.insert(it.key(), it.value());
            continue;
        }
        const QJsonArray entries = it.value().toArray();
        QJsonArray kept;
        bool removedAny = false;
        for (const QJsonValue& entryValue : entries) {
            QJsonObject entry = entryValue.toObject();
            const QJsonValue inner = entry.value(QStringLiteral("hooks"));
            if (!isListOfObjects(inner)) {
                kept.append(entry);
                continue;
            }
            QJsonArray remaining;
            bool removedHere = false;
            for (const QJsonValue& hook : inner.toArray()) {
                if (isOwnHook(hook, scriptFileName))
                    removedHere = true;
                else
                    remaining.append(hook);
            }
            removedAny = removedAny || removedHere;
            // The same rule one level down: an entry the user left without hooks stays.
            if (remaining.isEmpty() && removedHere)
                continue;
            entry.insert(QStringLiteral("hooks"), remaining);
            kept.append(entry);
        }
        // A list the user left empty is theirs and stays; one emptied by removing our hooks goes.
        if (!kept.isEmpty() || !removedAny)
            result.insert(it.key(), kept);
    }
    return result;
}

std::optional<QJsonObject> AIHookInstaller::loadJSONObject(const QString& path, QString* error) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        fail(error, unchanged(path, QStringLiteral("its folder could not be created")));
        return std::nullopt;
    }
    QString why;
    const std::optional<AIHookConfigFile::Contents> contents = AIHookConfigFile::read(path, &why);
    if (!contents) {
        fail(error, unchanged(path, why));
        return std::nullopt;
    }
    if (!contents->exists || contents->bytes.trimmed().isEmpty())
        return QJsonObject();
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(contents->bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        fail(error, unchanged(path, QStringLiteral("it is not valid JSON (%1 at byte %2)")
                                        .arg(parseError.errorString())
                                        .arg(parseError.offset)));
        return std::nullopt;
    }
    if (!document.isObject()) {
        fail(error, unchanged(path, QStringLiteral("its top level is not a JSON object")));
        return std::nullopt;
    }
    if (const std::optional<QByteArray> literal = integerBeyond64Bits(contents->bytes)) {
        const QString shown = literal->size() <= 40 ? QString::fromLatin1(*literal)
                                                    : QString::fromLatin1(literal->left(40)) + QChar(0x2026);
        fail(error, unchanged(path, QStringLiteral("the integer %1 is outside the 64-bit range and could not "
                                                   "be written back exactly")
                                        .arg(shown)));
        return std::nullopt;
    }
    return document.object();
}

std::optional<QByteArray> AIHookInstaller::mergedHooksFile(const QString& path,
                                                           const QList<Registration>& registrations,
                                                           AIHookTool tool, quint16 port,
                                                           QString* error) const {
    std::optional<QJsonObject> root = loadJSONObject(path, error);
    if (!root)
        return std::nullopt;
    const QString hooksKey = QStringLiteral("hooks");
    const QJsonValue current = root->value(hooksKey);
    if (!current.isUndefined() && !current.isObject()) {
        fail(error, unchanged(path, QStringLiteral("hooks has an unexpected shape")));
        return std::nullopt;
    }
    for (const Registration& registration : registrations) {
        const QJsonValue value = current.toObject().value(registration.event);
        if (!value.isUndefined() && !isListOfObjects(value)) {
            fail(error,
                 unchanged(path, QStringLiteral("hooks.%1 has an unexpected shape").arg(registration.event)));
            return std::nullopt;
        }
    }

    QJsonObject hooks = removingBridgeHooks(current.toObject(), bridgeScriptFileName());
    for (const Registration& registration : registrations) {
        QJsonArray list = hooks.value(registration.event).toArray();
        const QString command = hookCommand(tool, registration.event, port, m_locations.bridgeScriptPath);
        for (const QJsonValue& entry : registration.entries(command))
            list.append(entry);
        hooks.insert(registration.event, list);
    }
    root->insert(hooksKey, hooks);
    return QJsonDocument(*root).toJson(QJsonDocument::Indented);
}

bool AIHookInstaller::installClaudeHooks(quint16 port, const QString& settingsPath,
                                         std::optional<ClaudeVersion> version, QString* error) const {
    if (!writeBridgeScript(error))
        return false;
    const QString target = settingsPath.isEmpty() ? m_locations.claudeSettingsPath : settingsPath;
    const std::optional<QByteArray> merged =
        mergedHooksFile(target, claudeRegistrations(version), AIHookTool::claude, port, error);
    if (!merged)
        return false;
    QString why;
    if (!AIHookConfigFile::write(target, *merged, &why, true))
        return fail(error, fileNameOf(target) + QStringLiteral(": ") + why);
    return true;
}

bool AIHookInstaller::installCodexHooks(quint16 port, const QString& configPath, QString* error) const {
    if (!writeBridgeScript(error))
        return false;
    const QString config = configPath.isEmpty() ? m_locations.codexConfigPath : configPath;
    const QString folder = QFileInfo(config).absolutePath();
    const QString hooksFile = inDirectory(folder, QStringLiteral("hooks.json"));
    if (!QDir().mkpath(folder))
        return fail(error, unchanged(config, QStringLiteral("its folder could not be created")));

    QString why;
    const std::optional<AIHookConfigFile::Contents> contents = AIHookConfigFile::read(config, &why);
    if (!contents)
        return fail(error, unchanged(config, why));
    const std::optional<QString> text = CodexConfig::decode(contents->bytes, &why);
    if (!text)
        return fail(error, unchanged(config, why));
    const std::optional<QString> updated = CodexConfig::updated(*text, bridgeScriptFileName(), &why);
    if (!updated)
        return fail(error, unchanged(config, why));

    const std::optional<QByteArray> merged =
        mergedHooksFile(hooksFile, codexRegistrations(), AIHookTool::codex, port, error);
    if (!merged)
        return false;

    return AIHookConfigFile::writeAll({{config, updated->toUtf8()}, {hooksFile, *merged, true}}, error);
}

bool AIHookInstaller::hooksInstalled(const QString& path) const {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QJsonValue hooks = QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("hooks"));
    if (!hooks.isObject())
        return false;
    const QString name = bridgeScriptFileName();
    for (const QJsonValue& entries : hooks.toObject()) {
        if (!isListOfObjects(entries))
            continue;
        for (const QJsonValue& entry : entries.toArray()) {
            const QJsonValue inner = entry.toObject().value(QStringLiteral("hooks"));
            if (!isListOfObjects(inner))
                continue;
            const QJsonArray list = inner.toArray();
            if (std::any_of(list.begin(), list.end(),
                            [&](const QJsonValue& hook) { return isOwnHook(hook, name); }))
                return true;
        }
    }
    return false;
}

bool AIHookInstaller::claudeHooksInstalled() const {
    return hooksInstalled(m_locations.claudeSettingsPath);
}

bool AIHookInstaller::codexHooksInstalled() const {
    return hooksInstalled(m_locations.codexHooksPath);
}

AIHookInstallationStatus AIHookInstaller::installationStatus() const {
    AIHookInstallationStatus status;
    status.bridgeScriptPath = m_locations.bridgeScriptPath;
    status.claudeSettingsPath = m_locations.claudeSettingsPath;
    status.codexConfigPath = m_locations.codexConfigPath;
    status.codexHooksPath = m_locations.codexHooksPath;
    status.claudeInstalled = claudeHooksInstalled();
    status.codexInstalled = codexHooksInstalled();
    return status;
}

QFuture<std::optional<ClaudeVersion>> AIHookInstaller::lookUpClaudeVersion() const {
    const QStringList candidates = m_locations.claudeCandidates;
    const std::chrono::milliseconds timeout = m_locations.claudeVersionTimeout;
    return QtConcurrent::run([candidates, timeout] { return runClaudeVersion(candidates, timeout); });
}

QString AIHookInstaller::codexTrustNote() {
    return QStringLiteral("Codex CLI runs its hooks once you trust them in its hooks screen (/hooks).");
}

QString AIHookInstaller::installMessage(bool claude, bool codex) {
    if (claude && codex)
        return QStringLiteral("Claude Code and Codex hooks are connected. ") + codexTrustNote();
    if (claude)
        return QStringLiteral("Claude Code hooks are connected.");
    if (codex)
        return QStringLiteral("Codex hooks are connected. ") + codexTrustNote();
    return QString();
}

QString AIHookInstaller::noToolChosenMessage() {
    return QStringLiteral("Choose Claude Code or Codex in the trust section before connecting.");
}

QString AIHookInstaller::setupFailedMessage(const QString& description) {
    return QStringLiteral("Hook setup failed: ") + description;
}
