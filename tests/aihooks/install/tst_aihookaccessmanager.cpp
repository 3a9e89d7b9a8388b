#include "Brimlark/aihooks/install/AIHookAccessManager.h"
#include "platform/UserDefaults.h"
#include "platform/fake/FakeBookmarks.h"
#include "platform/fake/FakeFilePicker.h"
#include "platform/linux/desktop/LinuxBookmarks.h"
#include "tests/support/TestMain.h"

#include <QTemporaryDir>

using AccessError = AIHookAccessManager::AccessError;
Q_DECLARE_METATYPE(AIHookTool)

class TestAIHookAccessManager : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_home;

    QString homePath(const QString& relative) const { return m_home + QLatin1Char('/') + relative; }

private slots:
    void init() {
        m_home = m_dir.path() + QStringLiteral("/users/alice");
        QDir(m_dir.path()).removeRecursively();
        QVERIFY(QDir().mkpath(m_home));
    }

    void locationFollowsThePick_data() {
        QTest::addColumn<AIHookTool>("tool");
        QTest::addColumn<QString>("pick");
        QTest::addColumn<QStringList>("expected"); // granted, directory, config; empty: refused
        const QString h = QStringLiteral("/home/alice");
        QTest::newRow("home for codex")
            << AIHookTool::codex << h << QStringList{h, h + "/.codex", h + "/.codex/config.toml"};
        QTest::newRow("home, trailing slash")
            << AIHookTool::claude << h + "/" << QStringList{h, h + "/.claude", h + "/.claude/settings.json"};
        QTest::newRow("folder named like the home elsewhere")
            << AIHookTool::claude << QStringLiteral("/backup/alice")
            << QStringList{"/backup/alice", "/backup/alice/.claude", "/backup/alice/.claude/settings.json"};
        QTest::newRow("settings.json in any folder")
            << AIHookTool::claude << QStringLiteral("/etc/dotfiles/settings.json")
            << QStringList{"/etc/dotfiles/settings.json", "/etc/dotfiles", "/etc/dotfiles/settings.json"};
        QTest::newRow(".codex anywhere")
            << AIHookTool::codex << QStringLiteral("/srv/x/.codex")
            << QStringList{"/srv/x/.codex", "/srv/x/.codex", "/srv/x/.codex/config.toml"};
        QTest::newRow(".claude is not codex's") << AIHookTool::codex << h + "/.claude" << QStringList{};
        QTest::newRow("case matters") << AIHookTool::claude << h + "/.Claude" << QStringList{};
        QTest::newRow("other file") << AIHookTool::codex << h + "/.codex/hooks.json" << QStringList{};
    }
    void locationFollowsThePick() {
        QFETCH(AIHookTool, tool);
        QFETCH(QString, pick);
        QFETCH(QStringList, expected);
        const AIHookAccessManager manager(QStringLiteral("/home/alice"), nullptr, nullptr, nullptr);
        const std::optional<AIHookAccessLocation> found = manager.location(tool, pick);
        if (expected.isEmpty()) {
            QVERIFY(!found);
            return;
        }
        QVERIFY(found);
        QCOMPARE(*found, (AIHookAccessLocation{expected[0], expected[1], expected[2]}));
    }

    void grantingStoresTheBookmarkOfThePick() {
        UserDefaults defaults(m_dir.filePath(QStringLiteral("defaults.json")));
        LinuxBookmarks bookmarks;
        FakeFilePicker picker;
        picker.answers = {m_home};
        const AIHookAccessManager manager(m_home, &defaults, &bookmarks, &picker);

        AccessError error;
        QVERIFY(manager.requestAccess(AIHookTool::codex, &error));
        QCOMPARE(picker.asked.size(), 1);
        const FilePickerOptions& asked = picker.asked.first();
        QCOMPARE(asked.title, QStringLiteral("Allow Codex CLI Access"));
        QCOMPARE(asked.message,
                 QStringLiteral("Choose your .codex folder, the matching config file, or your Home "
                                "folder so Brimlark can install and maintain hook wiring for "
                                "Codex CLI."));
        QCOMPARE(asked.prompt, QStringLiteral("Allow Access"));
        QVERIFY(asked.canChooseFiles && asked.canChooseDirectories && asked.canCreateDirectories &&
                asked.showsHiddenFiles);
        // Without a .codex folder the panel opens in the home folder, and none is made for it.
        QCOMPARE(asked.directory, m_home);
        QVERIFY(!QFileInfo::exists(homePath(".codex")));

        QCOMPARE(defaults.data(QStringLiteral("brimlark.aiHookAccess.codex")), m_home.toUtf8());
        QVERIFY(manager.hasAccess(AIHookTool::codex));
        QVERIFY(!manager.hasAccess(AIHookTool::claude, &error));
        QCOMPARE(error.errorDescription(), QStringLiteral("Claude Code access has not been granted yet."));
        QCOMPARE(AIHookAccessManager::accessGrantedMessage(AIHookTool::codex),
                 QStringLiteral("Codex CLI folder access granted."));
    }

    void refusedPicksStoreNothing_data() {
        QTest::addColumn<std::optional<QString>>("answer");
        QTest::addColumn<QString>("createError");
        QTest::addColumn<QString>("expected");
        QTest::newRow("cancel") << std::optional<QString>() << QString()
                                << QStringLiteral("Access was canceled.");
        QTest::newRow("claude's folder for codex")
            << std::optional<QString>(QStringLiteral("/somewhere/.claude")) << QString()
            << QStringLiteral(
                   "Choose %1/.codex, the config file inside it, or your Home folder so Brimlark can "
                   "manage that tool safely.");
        QTest::newRow("bookmark cannot be made")
            << std::optional<QString>(QStringLiteral("/somewhere/.codex")) << QStringLiteral("disk on fire")
            << QStringLiteral("disk on fire");
    }
    void refusedPicksStoreNothing() {
        QFETCH(std::optional<QString>, answer);
        QFETCH(QString, createError);
        QFETCH(QString, expected);
        UserDefaults defaults(m_dir.filePath(QStringLiteral("defaults.json")));
        FakeBookmarks bookmarks;
        bookmarks.createError = createError;
        FakeFilePicker picker;
        picker.answers = {answer};
        const AIHookAccessManager manager(m_home, &defaults, &bookmarks, &picker);

        AccessError error;
        QVERIFY(!manager.requestAccess(AIHookTool::codex, &error));
        QCOMPARE(error.errorDescription(),
                 expected.contains(QLatin1String("%1")) ? expected.arg(m_home) : expected);
        QVERIFY(!defaults.contains(AIHookAccessManager::defaultsKey(AIHookTool::codex)));
        QCOMPARE(bookmarks.started.size(), bookmarks.stopped.size());
        // The home folder is as the user had it.
        QVERIFY(QDir(m_home).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    }

    void resolvingChecksTheGrantAndClosesAccess_data() {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<QString>("expected"); // empty: access granted
        QTest::newRow("granted") << "granted" << QString();
        QTest::newRow("stale is refreshed") << "stale" << QString();
        QTest::newRow("resolution fails") << "unresolvable" << QStringLiteral("gone");
        QTest::newRow("cannot open") << "closed"
                                     << QStringLiteral(
                                            "Brimlark could not open the saved folder access for Claude "
                                            "Code.");
        QTest::newRow("moved to another name")
            << "moved"
            << QStringLiteral(
                   "Choose %1/.claude, the config file inside it, or your Home folder so Brimlark can "
                   "manage that tool safely.");
        QTest::newRow("stale and cannot be remade") << "staleFails" << QStringLiteral("read-only");
    }
    void resolvingChecksTheGrantAndClosesAccess() {
        QFETCH(QString, scenario);
        QFETCH(QString, expected);
        UserDefaults defaults(m_dir.filePath(QStringLiteral("defaults.json")));
        FakeBookmarks bookmarks;
        FakeFilePicker picker;
        const AIHookAccessManager manager(m_home, &defaults, &bookmarks, &picker);
        const QString key = AIHookAccessManager::defaultsKey(AIHookTool::claude);
        const QByteArray token = "fake:" + homePath(".claude").toUtf8();
        defaults.setData(key, token);
        if (scenario.startsWith(QLatin1String("stale")))
            bookmarks.staleTokens.insert(token);
        if (scenario == QLatin1String("staleFails"))
            bookmarks.createError = QStringLiteral("read-only");
        if (scenario == QLatin1String("unresolvable"))
            bookmarks.resolveError = QStringLiteral("gone");
        if (scenario == QLatin1String("closed"))
            bookmarks.startAccessingSucceeds = false;
        if (scenario == QLatin1String("moved"))
            bookmarks.moved.insert(homePath(".claude"), homePath("claude-old"));

        AccessError error;
        QCOMPARE(manager.hasAccess(AIHookTool::claude, &error), expected.isEmpty());
        if (!expected.isEmpty())
            QCOMPARE(error.errorDescription(),
                     expected.contains(QLatin1String("%1")) ? expected.arg(m_home) : expected);
        QCOMPARE(bookmarks.stopped, bookmarks.started);
        if (scenario == QLatin1String("stale")) {
            QCOMPARE(bookmarks.created, QStringList{homePath(".claude")});
            QCOMPARE(defaults.data(key), token);
        }
    }

    void withAccessRunsTheOperationInsideTheScope() {
        UserDefaults defaults(m_dir.filePath(QStringLiteral("defaults.json")));
        FakeBookmarks bookmarks;
        FakeFilePicker picker;
        picker.answers = {homePath("dotfiles/settings.json")};
        const AIHookAccessManager manager(m_home, &defaults, &bookmarks, &picker);
        QVERIFY(manager.requestAccess(AIHookTool::claude));

        quint16 seenPort = 0;
        QString seenConfig;
        int openDuringOperation = 0;
        const auto operation = [&](quint16 port, const QString& config, QString* error) {
            seenPort = port;
            seenConfig = config;
            openDuringOperation = int(bookmarks.started.size() - bookmarks.stopped.size());
            *error = QStringLiteral("write failed");
            return port != 9;
        };
        QString error;
        QVERIFY(manager.withAccess(AIHookTool::claude, 43434, operation, &error));
        QCOMPARE(seenPort, quint16(43434));
        QCOMPARE(seenConfig, homePath("dotfiles/settings.json"));
        QCOMPARE(openDuringOperation, 1);

        QVERIFY(!manager.withAccess(AIHookTool::claude, 9, operation, &error));
        QCOMPARE(error, QStringLiteral("write failed"));
        QCOMPARE(bookmarks.stopped, bookmarks.started);

        seenPort = 0;
        QVERIFY(!manager.withAccess(AIHookTool::codex, 1, operation, &error));
        QCOMPARE(error, QStringLiteral("Codex CLI access has not been granted yet."));
        QCOMPARE(seenPort, quint16(0));
    }
};

BRIMLARK_TEST_MAIN(TestAIHookAccessManager)
#include "tst_aihookaccessmanager.moc"
