#include "Brimlark/aihooks/AIHooksService.h"
#include "Brimlark/aihooks/install/AIHookInstaller.h"
#include "Brimlark/core/InteractionEngine.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/organizer/CalendarService.h"
#include "Brimlark/shell/StatusObserver.h"
#include "Brimlark/surface/CompactHiddenStatusView.h"
#include "Brimlark/surface/CompactLiveStatusStore.h"
#include "Brimlark/surface/HaloController.h"
#include "platform/linux/kernel/LinuxLoopbackListener.h"
#include "tests/support/HookTestClient.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestMain.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <memory>

using Status = HookEvent::Status;

namespace {

// The payloads the tools send on their hooks' standard input, one file per event.
QJsonObject payload(const QString& name) {
    QFile file(QStringLiteral(BRIMLARK_HOOK_PAYLOADS "/") + name + QStringLiteral(".json"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

// The final status of each posted event, one letter per step: idle, asking, working, finished.
QString statusLetters(const QList<Status>& statuses) {
    QString letters;
    for (const Status status : statuses)
        letters += QLatin1Char("iawfe"[int(status)]);
    return letters;
}

} // namespace

// Questions settled by the tools themselves, end to end: the tools' payloads go through the bridge
// script into the running endpoint, and the store, the live status, the glow and the tray dot
// are read after the whole sequence.
class TestHookSettling : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_script;

    // The bodies the bridge script posts for the given steps (tool, event name, payload), in order:
    // its own completion and size rules, run by python3 once for the whole sequence.
    QList<QByteArray> bridgeBodies(const QJsonArray& steps) {
        static const char driver[] =
            "import importlib.util, json, sys\n"
            "spec = importlib.util.spec_from_file_location('bridge', sys.argv[1])\n"
            "bridge = importlib.util.module_from_spec(spec)\n"
            "spec.loader.exec_module(bridge)\n"
            "for source, event, payload in json.load(sys.stdin):\n"
            "    sys.stdout.buffer.write(bridge.body_of(bridge.complete(payload, source, event)) + b'\\n')\n";
        QProcess process;
        process.start(QStringLiteral("/usr/bin/env"), {QStringLiteral("python3"), QStringLiteral("-c"),
                                                       QString::fromLatin1(driver), m_script});
        process.waitForStarted();
        process.write(QJsonDocument(steps).toJson(QJsonDocument::Compact));
        process.closeWriteChannel();
        if (!process.waitForFinished(20000) || process.exitCode() != 0)
            return {};
        QList<QByteArray> bodies = process.readAllStandardOutput().split('\n');
        bodies.removeAll(QByteArray());
        return bodies;
    }

    // A request as the bridge sends it.
    static QByteArray post(const QByteArray& body, quint16 port) {
        return "POST /event HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) +
               "\r\nContent-Type: application/json\r\nContent-Length: " + QByteArray::number(body.size()) +
               "\r\nConnection: close\r\n\r\n" + body;
    }

private slots:
    void initTestCase() {
        const AIHookInstaller installer(m_dir.filePath(QStringLiteral("home")),
                                        m_dir.filePath(QStringLiteral("data")));
        QString error;
        QVERIFY2(installer.writeBridgeScript(&error), qPrintable(error));
        m_script = installer.bridgeScriptPath();
    }

    void aQuestionTheToolMovedPastStopsAsking_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("statuses");
        QTest::addColumn<int>("notified");
        // A step is "tool/payload", optionally "@X" for session "session-X" or "@-" for none.
        const QStringList approvedInTerminal{"claude/SessionStart",
                                             "claude/UserPromptSubmit",
                                             "claude/PreToolUse",
                                             "claude/PermissionRequest",
                                             "claude/Notification-permission_prompt",
                                             "claude/PostToolUse",
                                             "claude/Stop",
                                             "claude/SessionEnd"};
        QTest::newRow("approved in the terminal") << approvedInTerminal << "wwwiwfff" << 1;
        QTest::newRow("only another command ran") << QStringList{"claude/SessionStart",
                                                                 "claude/UserPromptSubmit",
                                                                 "claude/PreToolUse",
                                                                 "claude/PermissionRequest",
                                                                 "claude/Notification-permission_prompt",
                                                                 "claude/PostToolUse-other-command"}
                                                  << "wwwawf" << 1;
        QTest::newRow("another command ran, then the turn ended")
            << QStringList{"claude/PermissionRequest", "claude/PostToolUse-other-command", "claude/Stop"}
            << "iff" << 1;
        QTest::newRow("the call ran in another session")
            << QStringList{"claude/PermissionRequest@A", "claude/PostToolUse@B", "claude/Stop@B",
                           "claude/SessionEnd@B"}
            << "afff" << 1;
        QTest::newRow("no report of the call, then the session ended")
            << QStringList{"claude/SessionStart", "claude/PermissionRequest", "claude/SessionEnd"} << "wif"
            << 1;
        QTest::newRow("two sessions ask, one is answered")
            << QStringList{"claude/PermissionRequest@A", "claude/PermissionRequest@B", "claude/PostToolUse@A"}
            << "iaf" << 2;
        QTest::newRow("waiting for a prompt after the turn")
            << QStringList{"claude/UserPromptSubmit", "claude/Stop", "claude/Notification-idle_prompt"}
            << "wfa" << 1;
        QTest::newRow("waiting for a prompt, then the session ended")
            << QStringList{"claude/UserPromptSubmit", "claude/Stop", "claude/Notification-idle_prompt",
                           "claude/SessionEnd"}
            << "wfif" << 1;
        QTest::newRow("waiting for a prompt, then a prompt")
            << QStringList{"claude/Stop", "claude/Notification-idle_prompt", "claude/UserPromptSubmit"}
            << "fiw" << 1;
        QTest::newRow("waiting for a prompt, another session's prompt")
            << QStringList{"claude/Stop@A", "claude/Notification-idle_prompt@A", "claude/UserPromptSubmit@B"}
            << "faw" << 1;
        QTest::newRow("codex approved in the terminal")
            << QStringList{"codex/SessionStart",      "codex/UserPromptSubmit", "codex/PreToolUse",
                           "codex/PermissionRequest", "codex/PostToolUse",      "codex/Stop"}
            << "wwwiff" << 1;
        QTest::newRow("another tool's end of turn in the same session")
            << QStringList{"claude/PermissionRequest@A", "codex/Stop@A", "codex/SessionStart@A"} << "afw"
            << 1;
        QTest::newRow("events without a session")
            << QStringList{"claude/PermissionRequest@-", "claude/PostToolUse@-", "claude/Stop@-"} << "aff"
            << 1;
    }

    void aQuestionTheToolMovedPastStopsAsking() {
        QFETCH(QStringList, steps);
        QFETCH(QString, statuses);
        QFETCH(int, notified);

        ServiceFixture f;
        f.appState.setHaloMode(HaloMode::persistent);
        f.appState.setHaloOnHooks(true);
        AIHooksService hooks(f.appState, f.dir.filePath(QStringLiteral("live")), &f.notifications,
                             &f.workspace, nullptr, &f.clock, LinuxLoopbackListener::factory());
        hooks.setPort(0);
        hooks.startListener();
        QVERIFY(hooks.isListening());
        CalendarService calendar(f.permissionsCoordinator);
        CompactLiveStatusStore liveStatus(hooks, f.timer, calendar, f.media, &f.clock);
        liveStatus.start();
        InteractionEngine engine(f.appState, &f.clock);
        HaloController halo(f.appState, f.media, hooks, engine, &f.clock);
        halo.observeHookEvents();

        QJsonArray sequence;
        for (const QString& step : steps) {
            const QString name = step.section(QLatin1Char('@'), 0, 0);
            QJsonObject object = payload(name);
            QVERIFY2(!object.isEmpty(), qPrintable(name));
            if (step.contains(QLatin1Char('@'))) {
                const QString session = step.section(QLatin1Char('@'), 1);
                if (session == QLatin1String("-"))
                    object.remove(QStringLiteral("session_id"));
                else
                    object.insert(QStringLiteral("session_id"), QStringLiteral("session-") + session);
            }
            // The tool's hook command names the tool and the event; the payload is as the tool wrote it.
            sequence.append(QJsonArray{name.section(QLatin1Char('/'), 0, 0),
                                       object.value(QStringLiteral("hook_event_name")), object});
        }
        const QList<QByteArray> bodies = bridgeBodies(sequence);
        QCOMPARE(bodies.size(), steps.size());

        QList<QUuid> posted;
        for (const QByteArray& body : bodies) {
            const QByteArray response =
                HookTestClient::exchange(hooks.boundPort(), post(body, hooks.boundPort()));
            QVERIFY2(response.startsWith("HTTP/1.1 200 OK"), response.constData());
            // One arrival at a time, as the tool runs its hooks one after another.
            QTRY_COMPARE(hooks.events().size(), posted.size() + 1);
            posted.append(hooks.events().first().id);
        }
        QCoreApplication::processEvents();
        liveStatus.recompute();

        QList<Status> finalStatuses;
        for (const QUuid& id : std::as_const(posted)) {
            const auto it = std::find_if(hooks.events().cbegin(), hooks.events().cend(),
                                         [&](const HookEvent& e) { return e.id == id; });
            QVERIFY(it != hooks.events().cend());
            finalStatuses.append(it->status);
            if (it->status == Status::idle) {
                QVERIFY(!it->hasActions());
                QVERIFY(it->title && !it->title->isEmpty());
            }
        }
        QCOMPARE(statusLetters(finalStatuses), statuses);
        QCOMPARE(f.notifications.added.size(), notified);

        const bool stillAsks = statuses.contains(QLatin1Char('a'));
        const std::optional<CompactLiveStatus> shown = liveStatus.current();
        const QString headline =
            shown ? CompactHiddenStatusView::contentFor(*shown, f.clock.now()).headline : QString();
        QCOMPARE(headline.contains(QLatin1String("needs approval")), stillAsks);
        const std::optional<QColor> dot = StatusObserver::dotColorFor(hooks.activeEvent(), false);
        if (!stillAsks) {
            // The tray dot no longer pulses cyan, and the glow holds no question's colour.
            QVERIFY(!(dot == BrimlarkTheme::accent() && StatusObserver::isPulsingFor(hooks.activeEvent())));
            QVERIFY(halo.current());
            QVERIFY(halo.current()->color != BrimlarkTheme::accent());
        }
    }
};

BRIMLARK_TEST_MAIN(TestHookSettling)
#include "tst_hooksettling.moc"
