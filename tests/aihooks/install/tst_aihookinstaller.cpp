#include "Brimlark/aihooks/install/AIHookAccessManager.h"
#include "Brimlark/aihooks/install/AIHookInstaller.h"
#include "Brimlark/core/AppSupportDirectory.h"
#include "platform/UserDefaults.h"
#include "platform/fake/FakeFilePicker.h"
#include "platform/linux/desktop/LinuxBookmarks.h"
#include "tests/support/TestMain.h"

#include <QFutureWatcher>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QJsonObject jsonOf(const QString& path) {
    return QJsonDocument::fromJson(readAll(path)).object();
}

QByteArray corpus(const QString& name) {
    return readAll(QFINDTESTDATA(QStringLiteral("corpus/") + name));
}

// The object without the hooks whose command runs the bridge script: what is left is the user's.
QJsonObject usersPart(QJsonObject root) {
    root.insert(QStringLiteral("hooks"),
                AIHookInstaller::removingBridgeHooks(root.value(QStringLiteral("hooks")).toObject(),
                                                     QStringLiteral("brimlark-hook-bridge.py")));
    return root;
}

} // namespace

class TestAIHookInstaller : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_home;
    QString m_claude;

    AIHookInstaller installer(std::chrono::milliseconds timeout = std::chrono::milliseconds(5000)) const {
        AIHookInstaller::Locations locations;
        locations.claudeCandidates = {m_claude, m_dir.filePath(QStringLiteral("bin/nothing"))};
        locations.claudeVersionTimeout = timeout;
        return AIHookInstaller(m_home, m_dir.filePath(QStringLiteral("data/com.brimlark.app")), locations);
    }

    void fakeClaude(const QByteArray& body) const {
        writeAll(m_claude, "#!/bin/sh\n" + body + "\n");
        QFile::setPermissions(m_claude, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // Waits for the lookup while the event loop runs: the caller is never blocked.
    void lookUp(const AIHookInstaller& wiring, std::optional<ClaudeVersion>* version) {
        const QFuture<std::optional<ClaudeVersion>> future = wiring.lookUpClaudeVersion();
        QTRY_VERIFY_WITH_TIMEOUT(future.isFinished(), 10000);
        *version = future.result();
    }

private slots:
    void init() {
        QDir(m_dir.path()).removeRecursively();
        m_home = m_dir.filePath(QStringLiteral("home"));
        m_claude = m_dir.filePath(QStringLiteral("bin/claude"));
        QVERIFY(QDir().mkpath(m_home));
    }

    // The real home and data folders (isolated by the test main), a grant through the picker, then
    // Claude Code connected inside that grant.
    void connectingClaudeCodeAfterAGrant() {
        const QString home = AIHookAccessManager::realHomeDirectory();
        const QString support = appSupportDirectory();
        UserDefaults defaults(m_dir.filePath(QStringLiteral("defaults.json")));
        LinuxBookmarks bookmarks;
        FakeFilePicker picker;
        picker.answers = {home};
        const AIHookAccessManager access(home, &defaults, &bookmarks, &picker);
        const AIHookInstaller wiring(home, support);
        QVERIFY(access.requestAccess(AIHookTool::claude));

        const auto install = [&](quint16 port, const QString& config, QString* error) {
            return wiring.installClaudeHooks(port, config, std::nullopt, error);
        };
        QString error;
        QVERIFY2(access.withAccess(AIHookTool::claude, 43434, install, &error), qPrintable(error));
        const QString settings = home + QStringLiteral("/.claude/settings.json");
        const QByteArray first = readAll(settings);
        const QJsonObject hooks = jsonOf(settings).value(QStringLiteral("hooks")).toObject();
        QCOMPARE(hooks.keys(),
                 (QStringList{"Notification", "PermissionRequest", "PostToolUse", "PreCompact", "PreToolUse",
                              "SessionEnd", "SessionStart", "Stop", "SubagentStop", "UserPromptSubmit"}));
        const QJsonObject preToolUse = hooks.value(QStringLiteral("PreToolUse")).toArray().first().toObject();
        QCOMPARE(preToolUse.value(QStringLiteral("matcher")).toString(), QStringLiteral("*"));
        QCOMPARE(
            preToolUse.value(QStringLiteral("hooks"))
                .toArray()
                .first()
                .toObject()
                .value(QStringLiteral("command")),
            QStringLiteral("/usr/bin/env python3 '") + support +
                QStringLiteral(
                    "/hooks/brimlark-hook-bridge.py' --source claude --event 'PreToolUse' --port 43434"));
        QVERIFY(support.startsWith(home) && support.endsWith(QLatin1String("/com.brimlark.app")));
        const QJsonObject permission =
            hooks.value(QStringLiteral("PermissionRequest")).toArray().first().toObject();
        QCOMPARE(permission.value(QStringLiteral("hooks"))
                     .toArray()
                     .first()
                     .toObject()
                     .value(QStringLiteral("timeout")),
                 QJsonValue(86400));
        QCOMPARE(hooks.value(QStringLiteral("PreCompact")).toArray().size(), 2);

        const QString script = wiring.bridgeScriptPath();
        QVERIFY(readAll(script).startsWith("#!/usr/bin/env python3\n"));
        QCOMPARE(int(QFileInfo(script).permissions() & 0x7777), 0x7755);
        QCOMPARE(wiring.installationStatus(),
                 (AIHookInstallationStatus{script, settings, home + "/.codex/config.toml",
                                           home + "/.codex/hooks.json", true, false}));
        QCOMPARE(access.accessStatus(), (AIHookAccessStatus{true, false}));

        QVERIFY(access.withAccess(AIHookTool::claude, 43434, install, &error));
        QCOMPARE(readAll(settings), first);
    }

    void theVersionDecidesTheEvents_data() {
        QTest::addColumn<QByteArray>("claude"); // the fake program's body; empty: no program
        QTest::addColumn<int>("events");
        QTest::newRow("2.1.77 and words") << QByteArray("echo '2.1.77 (Claude Code)'") << 13;
        QTest::newRow("2.0.42") << QByteArray("echo 2.0.42") << 11;
        QTest::newRow("1.0.0") << QByteArray("echo 1.0.0") << 10;
        QTest::newRow("3.0.0: all") << QByteArray("echo v3.0.0") << 15;
        QTest::newRow("no version printed") << QByteArray("echo unknown") << 10;
        QTest::newRow("failing") << QByteArray("echo 2.1.77; exit 3") << 10;
        QTest::newRow("hanging") << QByteArray("sleep 30; echo 3.0.0") << 10;
        QTest::newRow("not installed") << QByteArray() << 10;
    }
    void theVersionDecidesTheEvents() {
        QFETCH(QByteArray, claude);
        QFETCH(int, events);
        if (!claude.isEmpty())
            fakeClaude(claude);
        const AIHookInstaller wiring = installer(std::chrono::milliseconds(300));
        std::optional<ClaudeVersion> version;
        lookUp(wiring, &version);
        QString error;
        QVERIFY2(wiring.installClaudeHooks(43434, QString(), version, &error), qPrintable(error));
        QCOMPARE(jsonOf(wiring.claudeSettingsPath()).value(QStringLiteral("hooks")).toObject().size(),
                 events);
    }

    // The usual places in order, then the search path: the first program found answers.
    void claudeIsLookedForInTheUsualPlacesThenOnThePath_data() {
        QTest::addColumn<QStringList>("installed"); // under the home folder; "PATH": on the search path
        QTest::addColumn<QString>("answering");     // empty: none
        QTest::newRow("~/.local/bin first")
            << QStringList{"PATH", ".npm-global/bin", ".claude/local", ".local/bin"} << ".local/bin";
        QTest::newRow("~/.claude/local next")
            << QStringList{"PATH", ".npm-global/bin", ".claude/local"} << ".claude/local";
        QTest::newRow("~/.npm-global/bin before the search path")
            << QStringList{"PATH", ".npm-global/bin"} << ".npm-global/bin";
        QTest::newRow("the search path last") << QStringList{"PATH"} << "PATH";
        QTest::newRow("nowhere") << QStringList() << QString();
    }
    void claudeIsLookedForInTheUsualPlacesThenOnThePath() {
        QFETCH(QStringList, installed);
        QFETCH(QString, answering);
        for (const char* place : {"/usr/local/bin/claude", "/usr/bin/claude"}) {
            if (QFileInfo::exists(QString::fromLatin1(place)))
                QSKIP("this machine has a claude of its own, which comes first");
        }
        // Each place's program prints a version of its own.
        const QStringList places{".local/bin", ".claude/local", ".npm-global/bin", "PATH"};
        const auto folderOf = [&](const QString& place) {
            return place == QLatin1String("PATH") ? m_dir.filePath(QStringLiteral("search-path"))
                                                  : m_home + QLatin1Char('/') + place;
        };
        for (const QString& place : installed) {
            const QString program = folderOf(place) + QStringLiteral("/claude");
            writeAll(program, "#!/bin/sh\necho 2.0." + QByteArray::number(places.indexOf(place)) + "\n");
            QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        }
        struct RestorePath {
            QByteArray saved = qgetenv("PATH");
            ~RestorePath() { qputenv("PATH", saved); }
        } restorePath;
        qputenv("PATH", QFile::encodeName(folderOf(QStringLiteral("PATH"))));

        const AIHookInstaller wiring(m_home, m_dir.filePath(QStringLiteral("data/com.brimlark.app")));
        std::optional<ClaudeVersion> version;
        lookUp(wiring, &version);
        if (answering.isEmpty())
            QVERIFY(!version.has_value());
        else
            QCOMPARE(version, std::make_optional(ClaudeVersion{2, 0, int(places.indexOf(answering))}));
    }

    void theUsersSettingsSurvive() {
        const AIHookInstaller wiring = installer();
        const QByteArray original = corpus(QStringLiteral("claude-settings-user.json"));
        writeAll(wiring.claudeSettingsPath(), original);
        QString error;
        QVERIFY2(wiring.installClaudeHooks(43434, QString(), std::nullopt, &error), qPrintable(error));

        QJsonObject before = QJsonDocument::fromJson(original).object();
        const QJsonObject after = jsonOf(wiring.claudeSettingsPath());
        // Everything but our hooks is as the user wrote it; the entry shared with the user's guard
        // keeps the guard, and the entry that held only an older hook of ours is gone.
        QCOMPARE(usersPart(after), usersPart(before));
        const QJsonArray preToolUse =
            after.value(QStringLiteral("hooks")).toObject().value(QStringLiteral("PreToolUse")).toArray();
        QCOMPARE(preToolUse.size(), 2);
        QCOMPARE(preToolUse.at(0).toObject().value(QStringLiteral("hooks")).toArray().size(), 1);
        QCOMPARE(preToolUse.at(1)
                     .toObject()
                     .value(QStringLiteral("hooks"))
                     .toArray()
                     .first()
                     .toObject()
                     .value(QStringLiteral("command"))
                     .toString(),
                 AIHookInstaller::hookCommand(AIHookTool::claude, QStringLiteral("PreToolUse"), 43434,
                                              wiring.bridgeScriptPath()));
        QCOMPARE(after.value(QStringLiteral("hooks")).toObject().value(QStringLiteral("MyFutureEvent")),
                 QJsonValue(QStringLiteral("left alone")));
        // Integers within 64 bits keep their digits, and so do digits in a string.
        const QByteArray written = readAll(wiring.claudeSettingsPath());
        for (const char* literal :
             {"9223372036854775807", "-9223372036854775808", "9007199254740993", "\"18446744073709551615\""})
            QVERIFY2(written.contains(literal), literal);
    }

    // Only what removing our hooks empties goes; what the user left empty is theirs.
    void removingOurHooksKeepsWhatTheUserLeftEmpty_data() {
        QTest::addColumn<QByteArray>("hooks");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray ours = R"({"type":"command","command":"python3 /x/brimlark-hook-bridge.py"})";
        QTest::newRow("the user's entry without hooks")
            << QByteArray(R"({"Stop":[{"matcher":"","hooks":[],"note":"placeholder"}]})")
            << QByteArray(R"({"Stop":[{"hooks":[],"matcher":"","note":"placeholder"}]})");
        QTest::newRow("an entry emptied of ours, beside the user's empty one")
            << QByteArray(R"({"Stop":[{"hooks":[)" + ours + R"(]},{"hooks":[]}]})")
            << QByteArray(R"({"Stop":[{"hooks":[]}]})");
        QTest::newRow("an entry shared with the user's hook")
            << QByteArray(R"({"Stop":[{"hooks":[{"command":"say"},)" + ours + R"(],"x":1}]})")
            << QByteArray(R"({"Stop":[{"hooks":[{"command":"say"}],"x":1}]})");
        QTest::newRow("an event emptied of ours; the user's empty event")
            << QByteArray(R"({"Stop":[{"hooks":[)" + ours + R"(]}],"SubagentStop":[]})")
            << QByteArray(R"({"SubagentStop":[]})");
    }
    void removingOurHooksKeepsWhatTheUserLeftEmpty() {
        QFETCH(QByteArray, hooks);
        QFETCH(QByteArray, expected);
        const QJsonObject result = AIHookInstaller::removingBridgeHooks(
            QJsonDocument::fromJson(hooks).object(), QStringLiteral("brimlark-hook-bridge.py"));
        QCOMPARE(QJsonDocument(result).toJson(QJsonDocument::Compact), expected);
    }

    void shapesThatCannotBeMergedLeaveTheFileAlone_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("reason");
        QTest::newRow("hooks is a list")
            << QByteArray("{\"hooks\": []}") << QStringLiteral("hooks has an unexpected shape");
        QTest::newRow("event holds text") << QByteArray("{\"hooks\": {\"PreToolUse\": \"x\"}}")
                                          << QStringLiteral("hooks.PreToolUse has an unexpected shape");
        QTest::newRow("event list holds text") << QByteArray("{\"hooks\": {\"Stop\": [{}, \"x\"]}}")
                                               << QStringLiteral("hooks.Stop has an unexpected shape");
        QTest::newRow("top level is a list") << QByteArray("[1]") << QStringLiteral("not a JSON object");
        QTest::newRow("not JSON") << QByteArray("{\"model\": \"opus\",}") << QStringLiteral("not valid JSON");
        // QJsonDocument would write these back as doubles: 18446744073709552000, 1.2345678901234568e+22.
        QTest::newRow("integer above 64 bits")
            << QByteArray("{\"a\": 18446744073709551615}")
            << QStringLiteral("the integer 18446744073709551615 is outside the 64-bit range");
        QTest::newRow("integer below 64 bits, deep in a list")
            << QByteArray("{\"k\": [1, {\"n\": -9223372036854775809}]}")
            << QStringLiteral("the integer -9223372036854775809 is outside");
        QTest::newRow("integer after a string with quotes and digits")
            << QByteArray("{\"s\": \"\\\"1\\\" 2\", \"c\": 12345678901234567890123}")
            << QStringLiteral("the integer 12345678901234567890123 is outside");
    }
    void shapesThatCannotBeMergedLeaveTheFileAlone() {
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        const AIHookInstaller wiring = installer();
        writeAll(wiring.claudeSettingsPath(), content);
        QString error;
        QVERIFY(!wiring.installClaudeHooks(43434, QString(), std::nullopt, &error));
        QVERIFY2(error.startsWith(QLatin1String("settings.json: ")) && error.contains(reason) &&
                     error.endsWith(QLatin1String("nothing was changed")),
                 qPrintable(error));
        QCOMPARE(readAll(wiring.claudeSettingsPath()), content);
    }

    void aSymlinkedPrivateFileStaysSo() {
        const AIHookInstaller wiring = installer();
        const QString target = m_dir.filePath(QStringLiteral("dotfiles/claude-settings.json"));
        writeAll(target, "{\"model\": \"opus\"}");
        QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(QDir().mkpath(QFileInfo(wiring.claudeSettingsPath()).absolutePath()));
        QVERIFY(QFile::link(target, wiring.claudeSettingsPath()));

        QString error;
        QVERIFY2(wiring.installClaudeHooks(43434, QString(), std::nullopt, &error), qPrintable(error));
        QVERIFY(QFileInfo(wiring.claudeSettingsPath()).isSymLink());
        QCOMPARE(int(QFileInfo(target).permissions() & 0x7777), 0x6600);
        QVERIFY(jsonOf(target).contains(QStringLiteral("hooks")));
        QCOMPARE(jsonOf(target).value(QStringLiteral("model")).toString(), QStringLiteral("opus"));
    }

    // The new content takes the old file's exact mode. The superuser may write a file its mode
    // calls read-only; anyone else is refused and the file stays as it was.
    void theFileKeepsItsMode_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("throughLink");
        QTest::newRow("0640") << 0640 << false;
        QTest::newRow("0444") << 0444 << false;
        QTest::newRow("0444 behind a link") << 0444 << true;
    }
    void theFileKeepsItsMode() {
        QFETCH(int, mode);
        QFETCH(bool, throughLink);
        const AIHookInstaller wiring = installer();
        const QString settings = wiring.claudeSettingsPath();
        const QString target =
            throughLink ? m_dir.filePath(QStringLiteral("dotfiles/settings.json")) : settings;
        const QByteArray original("{\"model\": \"opus\"}");
        writeAll(target, original);
        QVERIFY(QDir().mkpath(QFileInfo(settings).absolutePath()));
        if (throughLink)
            QVERIFY(QFile::link(target, settings));
        QCOMPARE(::chmod(QFile::encodeName(target).constData(), mode), 0);
        const bool writable = QFileInfo(target).isWritable();

        QString error;
        QCOMPARE(wiring.installClaudeHooks(43434, QString(), std::nullopt, &error), writable);
        QCOMPARE(QFileInfo(settings).isSymLink(), throughLink);
        if (writable)
            QVERIFY(jsonOf(target).contains(QStringLiteral("hooks")));
        else
            QCOMPARE(readAll(target), original);
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(target).constData(), &info), 0);
        QCOMPARE(int(info.st_mode & 07777), mode);
    }

    // The file as the user laid it out is kept once, before the first change, and never replaced:
    // not by a later install that changes the file again, nor over a copy already there.
    void theFileAsTheUserHadItIsKeptOnce_data() {
        QTest::addColumn<bool>("codex");
        QTest::addColumn<QByteArray>("original");
        QTest::addColumn<QByteArray>("earlierCopy");
        const QByteArray layout("{\n    \"model\" : \"opus\",\n\t\"alpha\": [1,2]\n}");
        QTest::newRow("claude settings") << false << layout << QByteArray();
        QTest::newRow("codex hooks") << true << layout << QByteArray();
        QTest::newRow("claude, a copy already there") << false << layout << QByteArray("{\"earlier\": 1}\n");
        QTest::newRow("codex, a copy already there") << true << layout << QByteArray("{\"earlier\": 1}\n");
        QTest::newRow("claude, no file before") << false << QByteArray() << QByteArray();
    }
    void theFileAsTheUserHadItIsKeptOnce() {
        QFETCH(bool, codex);
        QFETCH(QByteArray, original);
        QFETCH(QByteArray, earlierCopy);
        const AIHookInstaller wiring = installer();
        const QString file = codex ? wiring.codexHooksPath() : wiring.claudeSettingsPath();
        const QString copy = file + QStringLiteral(".before-brimlark");
        if (!original.isEmpty()) {
            writeAll(file, original);
            QCOMPARE(::chmod(QFile::encodeName(file).constData(), 0600), 0);
        }
        if (!earlierCopy.isEmpty())
            writeAll(copy, earlierCopy);
        const auto install = [&](quint16 port) {
            QString error;
            const bool done = codex ? wiring.installCodexHooks(port, QString(), &error)
                                    : wiring.installClaudeHooks(port, QString(), std::nullopt, &error);
            QVERIFY2(done, qPrintable(error));
        };

        install(43434);
        QVERIFY(readAll(file) != original);
        const QByteArray kept = earlierCopy.isEmpty() ? original : earlierCopy;
        QCOMPARE(QFileInfo::exists(copy), !kept.isEmpty());
        if (kept.isEmpty())
            return;
        QCOMPARE(readAll(copy), kept);
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(copy).constData(), &info), 0);
        if (earlierCopy.isEmpty())
            QCOMPARE(int(info.st_mode & 07777), 0600);

        // Another port changes the file again; the copy stays the first one.
        install(43500);
        QVERIFY(readAll(file).contains("43500"));
        QCOMPARE(readAll(copy), kept);
    }

    void theShellReadsAQuotedPathAsOneWord() {
        const QString path = QStringLiteral("/tmp/it's a \"folder\"/$HOME/brimlark-hook-bridge.py");
        QProcess shell;
        shell.start(
            QStringLiteral("/bin/sh"),
            {QStringLiteral("-c"), QStringLiteral("printf '%s|' ") + AIHookInstaller::shellQuoted(path)});
        QVERIFY(shell.waitForFinished());
        QCOMPARE(QString::fromUtf8(shell.readAllStandardOutput()), path + QLatin1Char('|'));
    }

    void connectingCodexCli() {
        const AIHookInstaller wiring = installer();
        writeAll(wiring.codexConfigPath(), "model = \"x\"\n");
        writeAll(wiring.codexHooksPath(), corpus(QStringLiteral("codex-hooks-user.json")));
        QString error;
        QVERIFY2(wiring.installCodexHooks(43434, QString(), &error), qPrintable(error));
        QCOMPARE(readAll(wiring.codexConfigPath()),
                 QByteArray("model = \"x\"\n\n[features]\ncodex_hooks = true\n"));

        const QJsonObject root = jsonOf(wiring.codexHooksPath());
        const QJsonObject hooks = root.value(QStringLiteral("hooks")).toObject();
        QCOMPARE(hooks.size(), 6);
        QCOMPARE(root.value(QStringLiteral("version")), QJsonValue(1));
        QCOMPARE(hooks.value(QStringLiteral("SessionStart")).toArray().size(), 1); // the older one replaced
        const QJsonObject start = hooks.value(QStringLiteral("SessionStart")).toArray().first().toObject();
        QCOMPARE(start.value(QStringLiteral("matcher")).toString(), QStringLiteral("startup|resume"));
        QVERIFY(start.value(QStringLiteral("hooks"))
                    .toArray()
                    .first()
                    .toObject()
                    .value(QStringLiteral("command"))
                    .toString()
                    .contains(QLatin1String("--source codex --event 'SessionStart' --port 43434")));
        const QJsonObject permission =
            hooks.value(QStringLiteral("PermissionRequest")).toArray().first().toObject();
        QVERIFY(!permission.value(QStringLiteral("hooks"))
                     .toArray()
                     .first()
                     .toObject()
                     .contains(QStringLiteral("timeout")));
        const QJsonArray stop = hooks.value(QStringLiteral("Stop")).toArray();
        QCOMPARE(stop.size(), 2);
        QCOMPARE(stop.first()
                     .toObject()
                     .value(QStringLiteral("hooks"))
                     .toArray()
                     .first()
                     .toObject()
                     .value(QStringLiteral("command"))
                     .toString(),
                 QStringLiteral("notify-send codex-stopped"));
        QVERIFY(wiring.codexHooksInstalled());

        // Same port, same script: the hooks Codex was told to trust stay byte for byte the same.
        const QByteArray config = readAll(wiring.codexConfigPath());
        const QByteArray hooksFile = readAll(wiring.codexHooksPath());
        QVERIFY(wiring.installCodexHooks(43434, QString(), &error));
        QCOMPARE(readAll(wiring.codexConfigPath()), config);
        QCOMPARE(readAll(wiring.codexHooksPath()), hooksFile);

        QVERIFY(AIHookInstaller::installMessage(false, true)
                    .startsWith(QLatin1String("Codex hooks are connected. ")));
        QVERIFY(AIHookInstaller::installMessage(true, true).contains(AIHookInstaller::codexTrustNote()));
        QVERIFY(AIHookInstaller::codexTrustNote().contains(QLatin1String("/hooks")));
        QCOMPARE(AIHookInstaller::installMessage(true, false),
                 QStringLiteral("Claude Code hooks are connected."));
    }

    void aCodexFailureChangesNeitherFile_data() {
        QTest::addColumn<QByteArray>("config");
        QTest::addColumn<QByteArray>("hooks");
        QTest::addColumn<QString>("reason");
        QTest::newRow("config not UTF-8")
            << corpus(QStringLiteral("codex-invalid-utf8.toml")) << QByteArray("{}")
            << QStringLiteral("config.toml: the file is not valid UTF-8 text");
        QTest::newRow("config not valid TOML")
            << QByteArray("[tui]\na = \"\"\"abc\n") << QByteArray("{}")
            << QStringLiteral("config.toml: the file is not valid TOML (an unterminated multi-line string "
                              "from line 2); nothing was changed");
        QTest::newRow("features inline") << QByteArray("features = { a = true }\n") << QByteArray("{}")
                                         << QStringLiteral("config.toml: features is written on one line");
        QTest::newRow("hooks.json broken")
            << QByteArray("[tui]\n") << QByteArray("{\"hooks\": {\"Stop\": 1}}")
            << QStringLiteral("hooks.json: hooks.Stop has an unexpected shape");
    }
    void aCodexFailureChangesNeitherFile() {
        QFETCH(QByteArray, config);
        QFETCH(QByteArray, hooks);
        QFETCH(QString, reason);
        const AIHookInstaller wiring = installer();
        writeAll(wiring.codexConfigPath(), config);
        writeAll(wiring.codexHooksPath(), hooks);
        QString error;
        QVERIFY(!wiring.installCodexHooks(43434, QString(), &error));
        QVERIFY2(error.startsWith(reason), qPrintable(error));
        QCOMPARE(readAll(wiring.codexConfigPath()), config);
        QCOMPARE(readAll(wiring.codexHooksPath()), hooks);
    }

    // A file that cannot be written changes neither. Everyone is stopped by a link to a file whose
    // name leaves no room for the temporary copy beside it (the name limit binds the superuser
    // too; the copy is only named when it is put in place); everyone but the superuser by a
    // read-only file, found before either file is replaced.
    void aCodexWriteFailureChangesNeitherFile_data() {
        QTest::addColumn<QString>("blocked");
        QTest::addColumn<bool>("readOnly"); // else behind a link to a 250-byte file name
        QTest::addColumn<bool>("otherExists");
        QTest::newRow("hooks.json: name too long for a copy")
            << QStringLiteral("hooks.json") << false << true;
        QTest::newRow("hooks.json: name too long, no config.toml yet")
            << QStringLiteral("hooks.json") << false << false;
        QTest::newRow("config.toml: name too long for a copy")
            << QStringLiteral("config.toml") << false << true;
        QTest::newRow("hooks.json read-only") << QStringLiteral("hooks.json") << true << true;
    }
    void aCodexWriteFailureChangesNeitherFile() {
        QFETCH(QString, blocked);
        QFETCH(bool, readOnly);
        QFETCH(bool, otherExists);
        const AIHookInstaller wiring = installer();
        const bool hooksBlocked = blocked == QLatin1String("hooks.json");
        const QString folder = QFileInfo(wiring.codexConfigPath()).absolutePath();
        const QString blockedPath = folder + QLatin1Char('/') + blocked;
        const QString otherPath = hooksBlocked ? wiring.codexConfigPath() : wiring.codexHooksPath();
        const QByteArray blockedContent = hooksBlocked ? QByteArray("{}\n") : QByteArray("model = \"o3\"\n");
        const QByteArray otherContent = hooksBlocked ? QByteArray("model = \"o3\"\n") : QByteArray("{}\n");
        if (otherExists)
            writeAll(otherPath, otherContent);
        const QString target =
            readOnly ? blockedPath
                     : m_dir.filePath(QStringLiteral("dotfiles/") + QString(250, QLatin1Char('n')));
        writeAll(target, blockedContent);
        if (readOnly) {
            QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
            if (QFileInfo(target).isWritable())
                QSKIP("the superuser may write a read-only file");
        } else {
            QVERIFY(QDir().mkpath(folder));
            QVERIFY(QFile::link(target, blockedPath));
        }
        const auto entries = [](const QString& path) {
            return QDir(QFileInfo(path).absolutePath())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System);
        };
        const QStringList before = entries(otherPath) + entries(target);

        QString error;
        QVERIFY(!wiring.installCodexHooks(43434, QString(), &error));
        QVERIFY2(error.startsWith(blocked + QStringLiteral(": it could not be written")) &&
                     error.endsWith(QLatin1String("; nothing was changed")),
                 qPrintable(error));
        QCOMPARE(QFileInfo::exists(otherPath), otherExists);
        QCOMPARE(readAll(otherPath), otherExists ? otherContent : QByteArray());
        QCOMPARE(readAll(target), blockedContent);
        QCOMPARE(QFileInfo(blockedPath).isSymLink(), !readOnly);
        QCOMPARE(entries(otherPath) + entries(target), before); // no temporary copy left behind
    }
};

BRIMLARK_TEST_MAIN(TestAIHookInstaller)
#include "tst_aihookinstaller.moc"
