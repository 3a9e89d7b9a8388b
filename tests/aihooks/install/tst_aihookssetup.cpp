#include "Brimlark/aihooks/AIHooksService.h"
#include "Brimlark/aihooks/install/AIHookAccessManager.h"
#include "Brimlark/aihooks/install/AIHookInstaller.h"
#include "platform/fake/FakeBookmarks.h"
#include "platform/fake/FakeFilePicker.h"
#include "tests/support/StateFixture.h"
#include "tests/support/TestMain.h"

#include <QFile>
#include <QSignalSpy>

#include <memory>

// Granting the tools' folders and connecting their hooks through the service.
class TestAIHooksSetup : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<StateFixture> f;
    QString m_home;
    FakeBookmarks m_bookmarks;
    FakeFilePicker m_picker;
    std::unique_ptr<AIHookAccessManager> m_access;
    std::unique_ptr<AIHookInstaller> m_installer;
    std::unique_ptr<AIHooksService> m_service;

    static QByteArray read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void install(bool claude, bool codex) {
        QSignalSpy finished(m_service.get(), &AIHooksService::installFinished);
        m_service->installHooks(claude, codex);
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
    }

private slots:
    void init() {
        f = std::make_unique<StateFixture>();
        m_home = f->dir.filePath(QStringLiteral("home"));
        QDir().mkpath(m_home);
        m_picker.answers.clear();
        m_picker.asked.clear();
        m_access = std::make_unique<AIHookAccessManager>(m_home, &f->defaults, &m_bookmarks, &m_picker);
        AIHookInstaller::Locations locations;
        locations.claudeCandidates = {f->dir.filePath(QStringLiteral("no-claude-here"))};
        m_installer =
            std::make_unique<AIHookInstaller>(m_home, f->dir.filePath(QStringLiteral("support")), locations);
        m_service = std::make_unique<AIHooksService>(f->appState, f->dir.filePath(QStringLiteral("support")),
                                                     nullptr, nullptr, nullptr, &f->clock);
        m_service->setToolWiring(m_access.get(), m_installer.get());
    }
    void cleanup() {
        m_service.reset();
        m_installer.reset();
        m_access.reset();
    }

    void grantingReportsTheOutcome() {
        QCOMPARE(m_service->hookAccessStatus().codexGranted, false);
        m_picker.answers = {m_home};
        m_service->grantAccess(AIHookTool::codex);
        QVERIFY(m_service->hookAccessStatus().codexGranted);
        QVERIFY(!m_service->hookAccessStatus().claudeGranted);
        QCOMPARE(m_service->lastInstallMessage(), QStringLiteral("Codex CLI folder access granted."));
        QVERIFY(m_service->lastError().isEmpty());

        m_picker.answers = {std::nullopt};
        m_service->grantAccess(AIHookTool::claude);
        QCOMPARE(m_service->lastError(), QStringLiteral("Access was canceled."));
        QVERIFY(m_service->lastInstallMessage().isEmpty());
        QVERIFY(!m_service->hookAccessStatus().claudeGranted);
    }

    void connectingNoToolChangesNothing() {
        install(false, false);
        QCOMPARE(m_service->lastError(), AIHookInstaller::noToolChosenMessage());
        QVERIFY(m_picker.asked.isEmpty());
        QVERIFY(!QFile::exists(m_installer->bridgeScriptPath()));
    }

    void connectingAsksForAccessThenWiresTheTool() {
        m_picker.answers = {m_home};
        install(true, false);
        QVERIFY2(m_service->lastError().isEmpty(), qPrintable(m_service->lastError()));
        QCOMPARE(m_service->lastInstallMessage(), AIHookInstaller::installMessage(true, false));
        QCOMPARE(m_picker.asked.size(), 1);
        QVERIFY(m_service->hookInstallationStatus().claudeInstalled);
        QVERIFY(m_service->hookAccessStatus().claudeGranted);
        const QByteArray settings = read(m_home + QStringLiteral("/.claude/settings.json"));
        QVERIFY(
            settings.contains("brimlark-hook-bridge.py' --source claude --event 'PreToolUse' --port 43434"));

        // Granted already: the second connection asks nothing and writes the same bytes.
        install(true, false);
        QCOMPARE(m_picker.asked.size(), 1);
        QCOMPARE(read(m_home + QStringLiteral("/.claude/settings.json")), settings);

        m_picker.answers = {m_home};
        install(false, true);
        QVERIFY(m_service->hookInstallationStatus().codexInstalled);
        QVERIFY(m_service->lastInstallMessage().contains(AIHookInstaller::codexTrustNote()));
        QVERIFY(read(m_home + QStringLiteral("/.codex/config.toml")).contains("codex_hooks = true"));
    }

    void aFailedInstallKeepsTheUsersFileAndSaysWhy() {
        const QString settingsPath = m_home + QStringLiteral("/.claude/settings.json");
        QDir().mkpath(QFileInfo(settingsPath).absolutePath());
        const QByteArray mine = "{\n  \"hooks\": [\"not an object\"],\n  \"model\": \"opus\"\n}\n";
        QFile file(settingsPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(mine);
        file.close();

        m_picker.answers = {m_home};
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(QStringLiteral("^hook install failed: ")));
        install(true, true);
        QVERIFY(m_service->lastError().startsWith(AIHookInstaller::setupFailedMessage(QString())));
        QVERIFY(m_service->lastInstallMessage().isEmpty());
        QCOMPARE(read(settingsPath), mine);
        // A claude failure leaves codex untouched.
        QVERIFY(!QFile::exists(m_home + QStringLiteral("/.codex/hooks.json")));
        QVERIFY(!m_service->isInstalling());
    }

    void codexAskedForWhileClaudeConnectsJoinsTheRun() {
        m_picker.answers = {m_home, m_home};
        QSignalSpy finished(m_service.get(), &AIHooksService::installFinished);
        m_service->installHooks(true, false);
        QVERIFY(m_service->isInstalling());
        m_service->installHooks(false, true);
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
        QVERIFY(m_service->hookInstallationStatus().claudeInstalled);
        QVERIFY(m_service->hookInstallationStatus().codexInstalled);
        QCOMPARE(m_service->lastInstallMessage(), AIHookInstaller::installMessage(true, true));
        // The next run starts afresh: claude alone.
        install(true, false);
        QCOMPARE(m_service->lastInstallMessage(), AIHookInstaller::installMessage(true, false));
    }

    void aToolConnectedBeforeAFailureShowsAsConnected() {
        const QString configPath = m_home + QStringLiteral("/.codex/config.toml");
        QDir().mkpath(QFileInfo(configPath).absolutePath());
        QFile config(configPath);
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write("model = \"\xff\"\n");
        config.close();

        m_picker.answers = {m_home, m_home};
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(QStringLiteral("^hook install failed: ")));
        install(true, true);
        QVERIFY(!m_service->lastError().isEmpty());
        QVERIFY(m_service->hookInstallationStatus().claudeInstalled);
        QVERIFY(!m_service->hookInstallationStatus().codexInstalled);
    }
};

BRIMLARK_TEST_MAIN(TestAIHooksSetup)
#include "tst_aihookssetup.moc"
