#include "Brimlark/aihooks/AIHooksService.h"
#include "Brimlark/aihooks/events/HookEventDecoder.h"
#include "Brimlark/aihooks/events/HookInputPreview.h"
#include "Brimlark/aihooks/install/AIHookInstaller.h"
#include "platform/linux/kernel/LinuxLoopbackListener.h"
#include "tests/support/StateFixture.h"
#include "tests/support/TestMain.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

using Source = HookEvent::Source;
using Status = HookEvent::Status;
Q_DECLARE_METATYPE(Source)
Q_DECLARE_METATYPE(Status)

namespace {

// Keeps what the bridge posts, raw, on an ephemeral loopback port; closing ends each request.
struct CaptureServer {
    CaptureServer() {
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = server.nextPendingConnection()) {
                requests.append(QByteArray());
                const qsizetype index = requests.size() - 1;
                QObject::connect(socket, &QTcpSocket::readyRead, socket,
                                 [this, socket, index] { requests[index] += socket->readAll(); });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        server.listen(QHostAddress::LocalHost, 0);
    }
    QJsonObject body(qsizetype i = 0) const { return QJsonDocument::fromJson(bodyBytes(i)).object(); }
    QByteArray bodyBytes(qsizetype i = 0) const {
        const QByteArray request = requests.value(i);
        const qsizetype head = request.indexOf("\r\n\r\n");
        return head < 0 ? QByteArray() : request.mid(head + 4);
    }

    QTcpServer server;
    QList<QByteArray> requests;
};

struct Run {
    int exitCode = -1;
    QByteArray output; // standard output and error together
};

} // namespace

class TestBridge : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_script;

    // Runs the bridge as a hook does, the event loop running meanwhile.
    Run bridge(const QString& event, quint16 port, const QByteArray& input, bool closeInput = true,
               const QStringList& environment = {}) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& pair : environment)
            env.insert(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
        process.setProcessEnvironment(env);
        QStringList arguments{QStringLiteral("python3"), m_script, QStringLiteral("--source"),
                              QStringLiteral("claude")};
        if (!event.isEmpty())
            arguments << QStringLiteral("--event") << event;
        arguments << QStringLiteral("--port") << QString::number(port);
        QEventLoop loop;
        QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(20000, &loop, &QEventLoop::quit);
        process.start(QStringLiteral("/usr/bin/env"), arguments);
        process.waitForStarted();
        process.write(input);
        if (closeInput)
            process.closeWriteChannel();
        loop.exec();
        const bool ended = process.state() == QProcess::NotRunning;
        if (!ended) {
            process.kill();
            process.waitForFinished();
        }
        return {ended ? process.exitCode() : -1,
                process.readAllStandardOutput() + process.readAllStandardError()};
    }

private slots:
    void initTestCase() {
        const AIHookInstaller installer(m_dir.filePath(QStringLiteral("home")),
                                        m_dir.filePath(QStringLiteral("data")));
        QString error;
        QVERIFY2(installer.writeBridgeScript(&error), qPrintable(error));
        m_script = installer.bridgeScriptPath();
    }

    // Today's Claude Code payloads, through real python3 into the program's running endpoint.
    void theStoreGetsTheToolsEvents_data() {
        QTest::addColumn<QString>("event");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<Status>("status");
        QTest::addColumn<QString>("title");
        const QByteArray session = R"("session_id":"s1","transcript_path":"/tmp/s1.jsonl","cwd":"/tmp/app")";
        QTest::newRow("tool call")
            << "PreToolUse"
            << QByteArray(
                   R"({"hook_event_name":"PreToolUse","tool_name":"Bash","session_id":"s1","cwd":"/tmp/app"})")
            << QStringList() << Status::working << "bash running";
        QTest::newRow("session start from startup")
            << "SessionStart"
            << QByteArray(R"({"hook_event_name":"SessionStart","source":"startup",)" + session + "}")
            << QStringList() << Status::working << "claude session started";
        QTest::newRow("prompt") << "UserPromptSubmit"
                                << QByteArray(R"({"hook_event_name":"UserPromptSubmit","prompt":"fix it",)" +
                                              session + "}")
                                << QStringList() << Status::working << "userpromptsubmit";
        QTest::newRow("session end") << "SessionEnd"
                                     << QByteArray(R"({"hook_event_name":"SessionEnd","reason":"other",)" +
                                                   session + "}")
                                     << QStringList() << Status::finished << "claude session ended";
        QTest::newRow("permission request") << "PermissionRequest" << QByteArray(R"({"tool_name":"Bash"})")
                                            << QStringList() << Status::asking << "approve bash";
        QTest::newRow("failure") << "PostToolUseFailure" << QByteArray(R"({"tool_name":"Bash"})")
                                 << QStringList() << Status::error << "bash failed";
        QTest::newRow("proxy variables are not followed")
            << "PreToolUse" << QByteArray(R"({"tool_name":"Read"})")
            << QStringList{"http_proxy=http://127.0.0.1:9", "HTTP_PROXY=http://127.0.0.1:9",
                           "all_proxy=http://127.0.0.1:9", "no_proxy="}
            << Status::working << "read running";
        QTest::newRow("200 KB payload")
            << "PostToolUse"
            << QByteArray("{\"tool_name\":\"Bash\",\"tool_response\":{\"stdout\":\"") +
                   QByteArray(200000, 'o') + QByteArray("\"}}")
            << QStringList() << Status::finished << "bash complete";
    }
    void theStoreGetsTheToolsEvents() {
        QFETCH(QString, event);
        QFETCH(QByteArray, input);
        QFETCH(QStringList, environment);
        QFETCH(Status, status);
        QFETCH(QString, title);
        StateFixture f;
        AIHooksService service(f.appState, f.dir.path(), nullptr, nullptr, nullptr, &f.clock,
                               LinuxLoopbackListener::factory());
        service.setPort(0);
        service.startListener();
        QTRY_VERIFY(service.isListening());

        const Run run = bridge(event, service.boundPort(), input, true, environment);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.output, QByteArray());
        QTRY_COMPARE(service.events().size(), 1);
        const HookEvent stored = service.events().first();
        QCOMPARE(stored.source, Source::claude);
        QCOMPARE(stored.status, status);
        QCOMPARE(stored.title.value_or(QString()), title);
        QCOMPARE(stored.eventName.value_or(QString()), event);
    }

    // What the bridge adds to a payload, and what it keeps.
    void completesOnlyWhatIsMissing_data() {
        QTest::addColumn<QString>("event");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QJsonObject>("expected");
        QTest::addColumn<QStringList>("absent");
        QTest::newRow("own source kept, tool as client")
            << "SessionStart" << QByteArray(R"({"source":"startup"})")
            << QJsonObject{{"source", "startup"}, {"client", "claude"}, {"event", "SessionStart"}}
            << QStringList();
        QTest::newRow("a source naming a tool needs no client")
            << "Stop" << QByteArray(R"({"source":"Codex-CLI"})") << QJsonObject{{"source", "Codex-CLI"}}
            << QStringList{"client"};
        QTest::newRow("own client kept") << "Stop" << QByteArray(R"({"source":"resume","client":"mine"})")
                                         << QJsonObject{{"client", "mine"}} << QStringList();
        QTest::newRow("no source: --source")
            << "Stop" << QByteArray("{}") << QJsonObject{{"source", "claude"}, {"status", "finished"}}
            << QStringList{"client"};
        QTest::newRow("not JSON") << "Stop" << QByteArray("  hello there \n")
                                  << QJsonObject{{"message", "hello there"}, {"event", "Stop"}}
                                  << QStringList();
        QTest::newRow("not an object")
            << "Stop" << QByteArray("[1, 2]") << QJsonObject{{"message", "[1, 2]"}} << QStringList();
        QTest::newRow("no input, no event")
            << "" << QByteArray(" \n ") << QJsonObject{{"source", "claude"}, {"status", "working"}}
            << QStringList{"event", "message"};
        QTest::newRow("status kept, even empty") << "Notification" << QByteArray(R"({"status":""})")
                                                 << QJsonObject{{"status", ""}} << QStringList();
    }
    void completesOnlyWhatIsMissing() {
        QFETCH(QString, event);
        QFETCH(QByteArray, input);
        QFETCH(QJsonObject, expected);
        QFETCH(QStringList, absent);
        CaptureServer capture;
        const Run run = bridge(event, capture.server.serverPort(), input);
        QCOMPARE(run.exitCode, 0);
        QTRY_VERIFY(!capture.body().isEmpty()); // parses once complete
        QVERIFY(capture.requests.first().startsWith("POST /event HTTP/1.1\r\n"));
        const QJsonObject posted = capture.body();
        for (auto it = expected.begin(); it != expected.end(); ++it)
            QCOMPARE(posted.value(it.key()), it.value());
        for (const QString& key : absent)
            QVERIFY2(!posted.contains(key), qPrintable(key));
        static const QRegularExpression iso(
            QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d(\\.\\d{6})?Z$"));
        QVERIFY(iso.match(posted.value(QStringLiteral("timestamp")).toString()).hasMatch());
    }

    void aLargePayloadKeepsWhatIsRead() {
        const QJsonObject payload{{"tool_name", "Bash"},
                                  {"session_id", "s1"},
                                  {"approve_command", "echo yes"},
                                  {"message", QString(150000, QLatin1Char('m'))},
                                  {"tool_response", QString(60000, QLatin1Char('o'))}};
        CaptureServer capture;
        QCOMPARE(bridge(QStringLiteral("PostToolUse"), capture.server.serverPort(),
                        QJsonDocument(payload).toJson())
                     .exitCode,
                 0);
        QTRY_VERIFY(!capture.body().isEmpty());
        QVERIFY(capture.bodyBytes().size() <= 60000);
        const QJsonObject posted = capture.body();
        for (const char* key : {"tool_name", "session_id", "approve_command"})
            QCOMPARE(posted.value(QLatin1String(key)), payload.value(QLatin1String(key)));
        QVERIFY(posted.value(QStringLiteral("message")).toString().startsWith(QStringLiteral("mmmm")));
        QVERIFY(!posted.contains(QStringLiteral("tool_response")));
    }

    // A request too large to post whole still names what it asks (the file, the command) as the
    // same request would were it small, in the row, the pill and the notification.
    void aLargeRequestNamesWhatItAsks_data() {
        QTest::addColumn<QJsonObject>("payload");
        const QString large(120000, QLatin1Char('c'));
        const QJsonObject write{
            {"tool_name", "Write"},
            {"tool_input", QJsonObject{{"file_path", "/home/u/gen/schema.ts"}, {"content", large}}}};
        QTest::newRow("write") << write;
        QTest::newRow("long command")
            << QJsonObject{{"tool_name", "Bash"},
                           {"tool_input", QJsonObject{{"command", "python3 - <<'EOF'\n" + large + "\nEOF"}}}};
        QTest::newRow("command as words") << QJsonObject{
            {"tool_name", "Bash"},
            {"tool_input", QJsonObject{{"command", QJsonArray{"bash", "-c", "cat <<EOF\n" + large}}}}};
        QTest::newRow("notebook") << QJsonObject{
            {"tool_name", "NotebookEdit"},
            {"tool_input", QJsonObject{{"notebook_path", "/home/u/a.ipynb"}, {"new_source", large}}}};
        // The session, the folder and every action long beyond the BMP too: only the last cut fits.
        QJsonObject longMembers = write;
        const QString emoji = QString::fromUtf8("\U0001F600").repeated(5000);
        longMembers.insert(QStringLiteral("session_id"), emoji);
        longMembers.insert(QStringLiteral("cwd"), emoji);
        for (const char* verb : {"approve", "allow", "deny", "reject"})
            for (const char* suffix : {"_label", "_title", "_command", "Command", "_url", "URL"})
                longMembers.insert(QLatin1String(verb) + QLatin1String(suffix), emoji);
        QTest::newRow("every other member long") << longMembers;
    }
    void aLargeRequestNamesWhatItAsks() {
        QFETCH(QJsonObject, payload);
        const QByteArray whole = QJsonDocument(payload).toJson(QJsonDocument::Compact);
        CaptureServer capture;
        QCOMPARE(bridge(QStringLiteral("PermissionRequest"), capture.server.serverPort(), whole).exitCode, 0);
        QTRY_VERIFY(!capture.body().isEmpty());
        QVERIFY(capture.bodyBytes().size() <= 60000);
        const auto shown = [](const QByteArray& body) {
            const QList<HookEvent> events =
                HookEventDecoder::decode(body, QDateTime::currentDateTimeUtc()).events;
            return events.size() == 1
                       ? HookInputPreview::of(events.first(), HookInputPreview::maxWrappedLength)
                       : std::nullopt;
        };
        QVERIFY(shown(whole));
        QCOMPARE(shown(capture.bodyBytes()), shown(whole));
    }

    // However large or odd the input, what is posted fits the endpoint's limit of 65,536 bytes
    // a request, and the members that say whose event it is stay.
    void whatIsPostedFitsTheEndpoint_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QStringList>("kept");
        QTest::addColumn<QStringList>("absent");
        // Every read member a long run of a character beyond the BMP: each takes twelve bytes
        // escaped, so clipping every member still leaves too much.
        const QStringList readKeys =
            QStringLiteral(
                "message description title detail cwd workdir working_directory notification_type "
                "notificationType app_name app agent origin provider tool tool_name tool_use_id "
                "toolUseId session_id sessionId event_name hook_event created_at time approve_label "
                "approve_title allow_label allow_title deny_label deny_title")
                .split(QLatin1Char(' '));
        QJsonObject emoji;
        for (const QString& key : readKeys)
            emoji.insert(key, QString::fromUtf8("\U0001F600").repeated(5000));
        QTest::newRow("long strings beyond the BMP")
            << QJsonDocument(emoji).toJson(QJsonDocument::Compact)
            << QStringList{"source",      "event",      "status",        "timestamp",     "session_id",
                           "tool_name",   "cwd",        "approve_label", "approve_title", "allow_label",
                           "allow_title", "deny_label", "deny_title"}
            << QStringList();
        // Only members the last cut keeps, and still too much: they are shortened further.
        QJsonObject essential;
        for (const QString& key :
             QStringLiteral("session_id tool_name cwd approve_label approve_title allow_label "
                            "allow_title approve_command approveCommand allow_command "
                            "allowCommand approve_url approveURL allow_url allowURL "
                            "deny_label deny_title reject_label reject_title deny_command "
                            "denyCommand reject_command rejectCommand deny_url denyURL "
                            "reject_url rejectURL")
                 .split(QLatin1Char(' ')))
            essential.insert(key, QString::fromUtf8("\U0001F600").repeated(5000));
        QTest::newRow("only essential members, long")
            << QJsonDocument(essential).toJson(QJsonDocument::Compact)
            << QStringList{"source",     "event", "status",          "timestamp",
                           "session_id", "cwd",   "approve_command", "reject_url"}
            << QStringList();
        // Reading stops at 8 MiB: the JSON is cut short, so its text is posted as the message and
        // the member after it is never seen.
        QTest::newRow("20 MiB on standard input")
            << QByteArray("{\"message\": \"") + QByteArray(20 << 20, 'x') +
                   QByteArray("\", \"tool_name\": \"Bash\"}")
            << QStringList{"message", "source", "event", "status", "timestamp"} << QStringList{"tool_name"};
    }
    void whatIsPostedFitsTheEndpoint() {
        QFETCH(QByteArray, input);
        QFETCH(QStringList, kept);
        QFETCH(QStringList, absent);
        CaptureServer capture;
        const Run run = bridge(QStringLiteral("PermissionRequest"), capture.server.serverPort(), input);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.output, QByteArray());
        QTRY_VERIFY(!capture.body().isEmpty());
        QVERIFY2(capture.requests.first().size() <= 65536,
                 QByteArray::number(capture.requests.first().size()));
        QVERIFY(capture.bodyBytes().size() <= 60000);
        const QJsonObject posted = capture.body();
        for (const QString& key : kept)
            QVERIFY2(!posted.value(key).toString().isEmpty(), qPrintable(key));
        for (const QString& key : absent)
            QVERIFY2(!posted.contains(key), qPrintable(key));
    }

    void nothingListeningIsSilent() {
        quint16 port = 0;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
            port = probe.serverPort();
        }
        const Run run = bridge(QStringLiteral("Stop"), port, "{}");
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.output, QByteArray());
    }

    // A tool that never closes standard input holds the bridge for the input deadline only.
    void inputLeftOpenIsBoundedInTime() {
        CaptureServer capture;
        QCOMPARE(bridge(QStringLiteral("Stop"), capture.server.serverPort(), R"({"tool_name":"Bash"})", false)
                     .exitCode,
                 0);
        QTRY_COMPARE(capture.body().value(QStringLiteral("tool_name")), QJsonValue(QStringLiteral("Bash")));
    }
};

BRIMLARK_TEST_MAIN(TestBridge)
#include "tst_bridge.moc"
